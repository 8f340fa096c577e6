#include "gui/core/GuiOffscreenContext.h"

#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiFrame.h"
#include "gui/core/GuiWindowDC.h"

#include <algorithm>
#include <windows.h>

namespace chorus {

GuiOffscreenContext::GuiOffscreenContext(GuiFrame* frame, std::int32_t surfaceWidth,
                                         std::int32_t surfaceHeight, GuiColor background)
    : GuiDrawContext(frame, nullptr, nullptr), height(surfaceHeight), width(surfaceWidth),
      backgroundColor(background) {
    setClipRect({std::min(width, 0), std::min(height, 0), std::max(width, 0), std::max(height, 0)});
    {
        GuiWindowDC windowDC(frame != nullptr ? frame->getWindow() : nullptr);
        if (!windowDC || !memoryDC.create(windowDC.get())) {
            return;
        }
        // Zoomed with the frame: the surface holds device pixels, the views draw on it in logical ones.
        surface.reset(
            CreateCompatibleBitmap(windowDC.get(), getScale().toDevice(width), getScale().toDevice(height)));
    }
    if (!surface) {
        return;
    }
    displacedBitmap = SelectObject(memoryDC.get(), surface.get());
    attachDC(memoryDC.get());
    setBrushColor(background);
    setPenColor(background);
    fillRectInterior({0, 0, width, height});
    outlineRect({0, 0, width, height});
}

GuiOffscreenContext::~GuiOffscreenContext() {
    if (bitmap != nullptr) {
        bitmap->release();
    }
    // Everything selected into the memory DC goes back before the DC and the objects are deleted.
    detachDC();
    if (memoryDC && displacedBitmap != nullptr) {
        SelectObject(memoryDC.get(), displacedBitmap);
    }
}

void GuiOffscreenContext::setBitmap(GuiBitmap* newBitmap) {
    GuiBitmap::assign(bitmap, newBitmap);
}

void GuiOffscreenContext::blitTo(GuiDrawContext& destination, GuiRect destRect, GuiPoint source) {
    if (getDC() == nullptr || destination.getDC() == nullptr) {
        return;
    }
    const GuiRect to = destination.toDevice(destRect);
    const GuiPoint from = getScale().toDevice(source);
    BitBlt(destination.getDC(), to.left, to.top, to.width(), to.height(), getDC(), from.h, from.v, SRCCOPY);
}

} // namespace chorus
