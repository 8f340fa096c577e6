#pragma once

#include "gui/core/GuiNativeHandles.h"
#include "gui/core/GuiRect.h"
#include "plugin/EditorBase.h"
#include "plugin/PluginBaseEx.h"

#include <functional>
#include <string>
#include <vector>

namespace chorus::test {

// One request the plug-in sent to the host.
struct HostCall {
    int32_t opcode;
    int32_t index;

    friend bool operator==(const HostCall&, const HostCall&) = default;
};

// An effect with a recording host callback. Only one exists at a time.
class RecordingEffect final : public PluginBaseEx {
public:
    RecordingEffect();
    ~RecordingEffect() override;

    void processAdd(float**, float**, int32_t) override {}

    // Requests seen so far, optionally only those with the given opcode.
    std::vector<HostCall> calls(int32_t opcode = -1) const;
    void clearCalls();
    // Runs inside the host callback for every request (for re-entry tests).
    std::function<void(int32_t opcode)> onCall;
};

// An editor bridge whose frame the test supplies; counts its idle, redraw and idle-pump calls (drag loops
// pump once per poll).
class TestEditor final : public EditorBase {
public:
    explicit TestEditor(PluginBaseEx* owner) : EditorBase(owner) {}

    void editorIdle() override {
        ++idleCalls;
        EditorBase::editorIdle();
    }
    void idlePump() override {
        ++pumps;
        EditorBase::idlePump();
    }
    void redraw() override { ++redraws; }
    void setFrame(GuiFrame* newFrame) { frame = newFrame; }
    void closeFrame() { destroyFrame(); }
    void setRect(EditorRect r) { rect = r; }

    int idleCalls = 0;
    int redraws = 0;
    int pumps = 0;
};

// A frame on a test editor and a recording effect: what a view needs to send gestures and ask for idle.
// Without a parent window the frame has no window of its own.
class FrameFixture {
public:
    explicit FrameFixture(GuiWindowHandle parent = nullptr, GuiRect bounds = {0, 0, 238, 226});
    ~FrameFixture();
    FrameFixture(const FrameFixture&) = delete;
    FrameFixture& operator=(const FrameFixture&) = delete;

    // Begin (43) and end (44) gesture requests in order, as "b<param>" and "e<param>".
    std::vector<std::string> gestures() const;

    RecordingEffect effect;
    TestEditor editor{&effect};
    GuiFrame* frame = nullptr;
};

// A visible top-level window standing in for the host's editor window.
class HostWindow {
public:
    HostWindow(int x = 40, int y = 40, int width = 320, int height = 300);
    ~HostWindow();
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    GuiWindowHandle get() const { return window; }
    // Ends the window early (as a host closing its window before the editor).
    void destroy();

private:
    GuiWindowHandle window = nullptr;
};

// Dispatches every pending message of the thread.
void pumpMessages();

} // namespace chorus::test
