#pragma once

#include "editor/ChorusEditor.h"
#include "gui/core/GuiColor.h"
#include "gui/core/GuiRect.h"
#include "plugin/ChorusEffect.h"
#include "tests/editor/PngReader.h"
#include "tests/gui/ScriptedPlatform.h"
#include "tests/gui/TestHost.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace chorus {
class GuiNumberField;
}

namespace chorus::test {

// One request the effect sent to the host, with its value and float argument.
struct HostRequest {
    int32_t opcode;
    int32_t index;
    intptr_t value;
    float opt;
};

// The real chorus effect with its editor, open in a host window, and a host that records its requests.
// Mouse presses go to the editor's window as messages; the drag that follows reads the scripted input.
// A captured window: its size and pixels, rows from the top.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<GuiColor> pixels;
    GuiColor at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

class EditorHarness {
public:
    static constexpr int windowX = 40; // screen position of the host window and so of the editor
    static constexpr int windowY = 40;

    static constexpr int hostWidth = 300;
    static constexpr int hostHeight = 280;

    // The host window's client size (large enough for a zoomed editor when asked).
    explicit EditorHarness(int width = hostWidth, int height = hostHeight);
    ~EditorHarness();
    EditorHarness(const EditorHarness&) = delete;
    EditorHarness& operator=(const EditorHarness&) = delete;

    ChorusEffect& effect() { return *plugin; }
    ChorusEditor& editor() { return *chorusEditor; }
    ParameterSet& parameters() { return *plugin->parameterSet(); }
    ScriptedPlatform& input() { return platform; }
    GuiWindowHandle hostWindow() const { return host->get(); }
    GuiWindowHandle editorWindow() const;

    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    void setParameter(int32_t index, float value);
    bool open();
    void close();

    // A press at a point of the editor: the button stays down through the moves (points in the editor),
    // then is released where the last move ended.
    void drag(GuiPoint from, const std::vector<GuiPoint>& moves, std::uint32_t modifiers = 0);
    void click(GuiPoint at) { drag(at, {}); }
    // Clicks a number field open, types the text into its edit window and presses Return; false when the
    // click did not open the edit window.
    bool typeInto(GuiPoint at, GuiNumberField* field, const char* text);
    // Paints what is pending, as the host's idle does.
    void idle();
    // Paints the whole editor now and reads its pixels (width x height, rows from the top).
    std::vector<GuiColor> capture(int& width, int& height);
    Picture picture() {
        Picture p;
        p.pixels = capture(p.width, p.height);
        return p;
    }

    static std::vector<HostRequest>& requests();
    static std::vector<HostRequest> requests(int32_t opcode);
    static void clearRequests() { requests().clear(); }

private:
    ScriptedPlatform platform;
    std::unique_ptr<HostWindow> host;
    std::unique_ptr<ChorusEffect> plugin;
    ChorusEditor* chorusEditor = nullptr;
};

// The pixels of a bitmap as the toolkit loaded it (width x height, rows from the top).
std::vector<GuiColor> bitmapPixels(const GuiBitmap* bitmap);

// Pixels inside area where a picture file differs from pixels read on screen (rows of the given width).
// Inline, so that only the programs that read picture files need the reader.
inline int differingPixels(const PngImage& file, const std::vector<GuiColor>& pixels, int width,
                           const GuiRect& area) {
    int differing = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            const GuiColor c = pixels[static_cast<std::size_t>(y * width + x)];
            const std::uint32_t packed = (static_cast<std::uint32_t>(c.red) << 16) |
                                         (static_cast<std::uint32_t>(c.green) << 8) | c.blue;
            differing += file.pixel(x, y) == packed ? 0 : 1;
        }
    }
    return differing;
}

// Child windows of a window (an open editor is one).
int childWindowCount(GuiWindowHandle parent);

} // namespace chorus::test
