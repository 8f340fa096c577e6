#include "editor/ChorusXYPad.h"

#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiOffscreenContext.h"

#include <algorithm>
#include <cmath>

namespace chorus {

ChorusXYPad::ChorusXYPad(const GuiRect& padBounds, GuiControlListener* padListener, std::int32_t padTag,
                         GuiBitmap* background, std::int32_t padStyle)
    : GuiXYPad(padBounds, padListener, padTag, background, padStyle),
      points(std::max(padBounds.width(), 0)), origin{0, padBounds.height()} {
    const auto start = static_cast<float>(padBounds.height() / 2);
    wave.assign(static_cast<std::size_t>(points), start);
    ripple.assign(static_cast<std::size_t>(points), start);
    GuiXYPad::setCurveColor(0, waveColor);
    GuiXYPad::setCurveColor(1, rippleColor);
    setCurveScale(1.0f);
}

ChorusXYPad::~ChorusXYPad() = default;

void ChorusXYPad::setCurveColor(std::int32_t which, GuiColor color) {
    if (which == 1 || which == 2) {
        GuiXYPad::setCurveColor(which - 1, color);
    }
    setNeedsRedraw(true);
}

void ChorusXYPad::setStageCount(std::int32_t count) {
    stageCount = count;
}

void ChorusXYPad::setShapeIndex(std::int32_t index) {
    shapeIndex = index;
}

void ChorusXYPad::setCurveHeights(std::int32_t which, const float* values, std::int32_t count) {
    if (which != 0 && which != 1) {
        return;
    }
    std::vector<float>& curve = which == 0 ? wave : ripple;
    const auto k = static_cast<float>(bounds.bottom - bounds.top - 1);
    // More values than points would write past the curve: the rest are ignored.
    const std::int32_t used = values == nullptr ? 0 : std::clamp(count, 0, points);
    for (std::int32_t i = 0; i < used; ++i) {
        curve[static_cast<std::size_t>(i)] = -(k * values[i]);
    }
    if (points > 0) {
        curve.back() = 0.0f;
    }
    setNeedsRedraw(true);
}

float ChorusXYPad::getHeightPoint(std::int32_t which, std::int32_t index) const noexcept {
    if (index < 0 || index >= points || (which != 0 && which != 1)) {
        return 0.0f;
    }
    return (which == 0 ? wave : ripple)[static_cast<std::size_t>(index)];
}

std::int32_t ChorusXYPad::rowOf(float entry) const noexcept {
    return static_cast<std::int32_t>(entry * getCurveScale() + 0.5f) + origin.v;
}

void ChorusXYPad::drawCurve(GuiDrawContext& surface, const std::vector<float>& curve, std::int32_t shift,
                            bool pinned) {
    surface.movePenTo(pinned ? GuiPoint{origin.h + shift, origin.v}
                             : GuiPoint{origin.h + shift, rowOf(curve.front())});
    for (std::int32_t i = 0; i + 1 < points; ++i) {
        surface.drawLineTo({origin.h + shift + i, rowOf(curve[static_cast<std::size_t>(i)])});
    }
}

void ChorusXYPad::paint(GuiDrawContext& context) {
    const std::int32_t surfaceWidth = bounds.width();
    const std::int32_t surfaceHeight = bounds.height();
    GuiOffscreenContext surface(ownerFrame, surfaceWidth, surfaceHeight, colorBlack);
    if (backgroundBitmap != nullptr) {
        backgroundBitmap->blit(surface, {0, 0, surfaceWidth, surfaceHeight}, {0, 0});
    }
    if (points > 0) {
        // Copies further right are darker and drawn first, so the nearer ones lie on top. A shift past the
        // pad's width would draw nothing visible.
        const std::int32_t farthest = std::min(2 * stageCount - 1, surfaceWidth + 1);
        for (std::int32_t s = farthest; s >= 2; --s) {
            const auto grey = static_cast<std::uint8_t>(std::clamp(copyGreyStart - copyGreyStep * s, 0, 255));
            surface.setPenColor(GuiColor{grey, grey, grey, 0});
            drawCurve(surface, wave, s - 1, false);
        }
        const bool pinned = (getStyle() & padBaseline) != 0;
        surface.setPenColor(getCurveColor(1));
        drawCurve(surface, ripple, 0, pinned);
        surface.setPenColor(getCurveColor(0));
        drawCurve(surface, wave, 0, pinned);
    }
    surface.blitTo(context, bounds, {0, 0});
    setNeedsRedraw(false);
}

} // namespace chorus
