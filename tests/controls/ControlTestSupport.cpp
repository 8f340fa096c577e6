#include "tests/controls/ControlTestSupport.h"

#include "gui/core/GuiControl.h"

#include <windows.h>

namespace chorus::test {

void RecordingListener::controlChanged(GuiDrawContext& context, GuiControl* control) {
    changes.push_back({control, control->getValue()});
    if (onChange) {
        onChange(context, control);
    }
    if (repaints) {
        control->repaintIfNeeded(context);
    }
}

std::vector<float> RecordingListener::values() const {
    std::vector<float> result;
    for (const Change& change : changes) {
        result.push_back(change.value);
    }
    return result;
}

FrameFixture::FrameFixture(GuiWindowHandle parent, GuiRect bounds) {
    frame = new GuiFrame(bounds, parent, &editor);
    editor.setFrame(frame);
}

FrameFixture::~FrameFixture() {
    editor.setFrame(nullptr);
    frame->release();
}

std::vector<std::string> FrameFixture::gestures() const {
    std::vector<std::string> result;
    for (const HostCall& call : effect.calls()) {
        if (call.opcode == hostOpBeginGesture) {
            result.push_back("b" + std::to_string(call.index));
        } else if (call.opcode == hostOpEndGesture) {
            result.push_back("e" + std::to_string(call.index));
        }
    }
    return result;
}

std::vector<ScriptedPlatform::Step> dragScript(std::uint32_t buttons, const std::vector<GuiPoint>& path) {
    std::vector<ScriptedPlatform::Step> steps;
    for (const GuiPoint& point : path) {
        steps.push_back({buttons, point});
    }
    steps.push_back({0, path.empty() ? GuiPoint{} : path.back()});
    return steps;
}

GuiBitmap* makeBitmap(int width, int height, const std::function<GuiColor(int, int)>& colourAt) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const GuiColor c = colourAt(x, y);
            pixels[y * width + x] = (static_cast<std::uint32_t>(c.red) << 16) |
                                    (static_cast<std::uint32_t>(c.green) << 8) | c.blue;
        }
    }
    return new GuiBitmap(bitmap, 0);
}

} // namespace chorus::test
