#include "gui/controls/GuiFilmstripKnob.h"

#include "gui/controls/GuiBlit.h"

#include <cmath>

namespace chorus {

GuiFilmstripKnob::GuiFilmstripKnob(const GuiRect& rect, GuiControlListener* changeListener,
                                   std::int32_t controlTag, std::int32_t frames, std::int32_t heightOfFrame,
                                   GuiBitmap* background, GuiPoint origin)
    : GuiKnob(rect, changeListener, controlTag, background, nullptr, origin), frameCount(frames),
      frameHeight(heightOfFrame) {
    pointerInset = 0;
}

GuiFilmstripKnob::~GuiFilmstripKnob() = default;

std::int32_t GuiFilmstripKnob::frameOffset() const {
    // Frame floor(span x value / frameHeight), the last frame from 1.0 on; an empty strip or a value
    // below 0 (or not a number) shows the top.
    if (frameHeight <= 0 || frameCount <= 1 || !(value >= 0.0f)) {
        return 0;
    }
    const std::int32_t span = frameHeight * (frameCount - 1);
    if (value >= 1.0f) {
        return span;
    }
    const auto x = static_cast<std::int32_t>(static_cast<float>(span) * value);
    return (x / frameHeight) * frameHeight;
}

void GuiFilmstripKnob::paint(GuiDrawContext& context) {
    blitBitmap(backgroundBitmap, context, bounds, GuiPoint{0, frameOffset()}, drawsTransparent());
    setNeedsRedraw(false);
}

} // namespace chorus
