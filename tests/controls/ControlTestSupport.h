#pragma once

#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiColor.h"
#include "gui/core/GuiControlListener.h"
#include "gui/core/GuiFrame.h"
#include "plugin/EditorBase.h"
#include "tests/gui/ScriptedPlatform.h"
#include "tests/gui/TestHost.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace chorus::test {

// Mouse bits as the platform reports them (physical buttons, not yet swapped).
inline constexpr std::uint32_t left = GuiPlatform::physicalLeft;
inline constexpr std::uint32_t shift = GuiPlatform::physicalShift;
inline constexpr std::uint32_t ctrl = GuiPlatform::physicalControl;
inline constexpr std::uint32_t alt = GuiPlatform::physicalAlt;

// One controlChanged call: which control, its value then, and whether a context with a DC came along.
struct Change {
    GuiControl* control;
    float value;
};

// Records every controlChanged and, as the editor does, repaints the control that changed.
class RecordingListener : public GuiControlListener {
public:
    void controlChanged(GuiDrawContext& context, GuiControl* control) override;
    std::vector<float> values() const;

    std::vector<Change> changes;
    bool repaints = true;
    std::function<void(GuiDrawContext&, GuiControl*)> onChange;
};

// An editor bridge around a test effect that counts the idle requests of drag loops.
class CountingEditor final : public EditorBase {
public:
    explicit CountingEditor(PluginBaseEx* owner) : EditorBase(owner) {}
    void idlePump() override {
        ++pumps;
        EditorBase::idlePump();
    }
    void setFrame(GuiFrame* newFrame) { frame = newFrame; }

    int pumps = 0;
};

// A frame without a window on a counting editor and a recording effect: what a control needs to send
// gestures and ask for idle. Gestures are read back from the effect.
class FrameFixture {
public:
    explicit FrameFixture(GuiWindowHandle parent = nullptr, GuiRect bounds = {0, 0, 238, 226});
    ~FrameFixture();
    FrameFixture(const FrameFixture&) = delete;
    FrameFixture& operator=(const FrameFixture&) = delete;

    // Begin (43) and end (44) gesture requests in order, as "b<param>" and "e<param>".
    std::vector<std::string> gestures() const;

    RecordingEffect effect;
    CountingEditor editor{&effect};
    GuiFrame* frame = nullptr;
};

// A press script: the press itself (held buttons at the press point), then each move with the buttons
// held, then the release at the last point.
std::vector<ScriptedPlatform::Step> dragScript(std::uint32_t buttons, const std::vector<GuiPoint>& path);

// A 24-bit bitmap made in code: width x height filled by colourAt(x, y).
GuiBitmap* makeBitmap(int width, int height, const std::function<GuiColor(int, int)>& colourAt);

} // namespace chorus::test
