#pragma once

#include "gui/core/GuiDrawContext.h"
#include "gui/core/GuiMemoryDC.h"

namespace chorus {

class GuiBitmap;

// A drawing context over a memory bitmap, for composing a view's picture before one copy to the window.
// The surface starts filled with the background colour. Made on the frame's window DC (the screen's when
// the frame has no window); when the DC or bitmap cannot be made, drawing does nothing.
class GuiOffscreenContext : public GuiDrawContext {
public:
    GuiOffscreenContext(GuiFrame* ownerFrame, std::int32_t width, std::int32_t height, GuiColor background);
    ~GuiOffscreenContext() override;

    // Plain copy of destRect's size from source on this surface to (destRect.left, destRect.top) plus the
    // destination's drawOffset.
    void blitTo(GuiDrawContext& destination, GuiRect destRect, GuiPoint source);

    std::int32_t getWidth() const noexcept { return width; }
    std::int32_t getHeight() const noexcept { return height; }
    GuiColor getBackgroundColor() const noexcept { return backgroundColor; }
    GuiBitmapHandle getBitmapHandle() const noexcept { return surface.asBitmap(); }
    // A bitmap the surface keeps a reference to (retained here, released at destruction).
    void setBitmap(GuiBitmap* bitmap);
    GuiBitmap* getBitmap() const noexcept { return bitmap; }

private:
    GuiBitmap* bitmap = nullptr;
    std::int32_t height = 0;
    std::int32_t width = 0;
    GuiColor backgroundColor;
    GuiMemoryDC memoryDC;
    GuiGdiObject surface;
    GuiObjectHandle displacedBitmap = nullptr;
};

} // namespace chorus
