#include "gui/core/GuiXYPad.h"

#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiControlListener.h"
#include "gui/core/GuiFrame.h"
#include "gui/core/GuiOffscreenContext.h"

#include <algorithm>

namespace chorus {

namespace {

float limitUnit(float value) {
    if (value < 0.0f) {
        return 0.0f;
    }
    if (value > 1.0f) {
        return 1.0f;
    }
    return value;
}

} // namespace

GuiXYPad::GuiXYPad(const GuiRect& padBounds, GuiControlListener* padListener, std::int32_t padTag,
                   GuiBitmap* background, std::int32_t padStyle)
    : GuiControl(padBounds, padListener, padTag, background), backgroundOffset{padBounds.left, padBounds.top},
      curveOrigin{0, padBounds.height() / 2}, pointCount(std::max(padBounds.width(), 0)), style(padStyle),
      width(padBounds.width()), height(padBounds.height()) {
    // Both curves start on the bottom edge until they are set.
    const auto start = static_cast<float>(height / 2);
    curveA.assign(static_cast<std::size_t>(pointCount), start);
    curveB.assign(static_cast<std::size_t>(pointCount), start);
}

GuiXYPad::~GuiXYPad() = default;

void GuiXYPad::setCurveColor(std::int32_t which, GuiColor color) {
    (which == 0 ? colorA : colorB) = color;
    setNeedsRedraw(true);
}

void GuiXYPad::setCurve(std::int32_t which, const float* values, std::int32_t count) {
    std::vector<float>& curve = which == 0 ? curveA : curveB;
    const auto k = static_cast<float>((bounds.bottom - bounds.top) / 2 - 1);
    // More values than points would run past the curve: the extra ones are ignored.
    const std::int32_t used = values == nullptr ? 0 : std::clamp(count, 0, pointCount);
    for (std::int32_t i = 0; i < used; ++i) {
        curve[static_cast<std::size_t>(i)] = -(k * values[i]);
    }
    if (pointCount > 0) {
        curve.back() = 0.0f;
    }
    setNeedsRedraw(true);
}

void GuiXYPad::setCurveScale(float newScale) {
    if (newScale != scale) {
        scale = newScale;
        setNeedsRedraw(true);
    }
}

void GuiXYPad::setTags(std::int32_t newTagX, std::int32_t newTagY) {
    tagX = newTagX;
    tagY = newTagY;
}

float GuiXYPad::getCurvePoint(std::int32_t which, std::int32_t index) const noexcept {
    if (index < 0 || index >= pointCount) {
        return 0.0f;
    }
    return (which == 0 ? curveA : curveB)[static_cast<std::size_t>(index)];
}

void GuiXYPad::drawCurve(GuiDrawContext& surface, const std::vector<float>& curve, GuiColor color) {
    const bool pinned = (style & padBaseline) != 0;
    const auto y = [&](std::size_t i) {
        return static_cast<std::int32_t>(curve[i] * scale + 0.5f) + curveOrigin.v;
    };
    surface.setPenColor(color);
    surface.movePenTo(pinned ? curveOrigin : GuiPoint{curveOrigin.h, y(0)});
    for (std::int32_t i = 0; i + 1 < pointCount; ++i) {
        surface.drawLineTo({curveOrigin.h + i, y(static_cast<std::size_t>(i))});
    }
    if (pinned) {
        surface.drawLineTo({pointCount - 1, curveOrigin.v});
    }
}

void GuiXYPad::paint(GuiDrawContext& context) {
    GuiOffscreenContext surface(ownerFrame, width, height, colorBlack);
    if (backgroundBitmap != nullptr) {
        backgroundBitmap->blit(surface, {0, 0, width, height}, backgroundOffset);
    }
    if ((style & padBaseline) != 0) {
        surface.setPenColor(colorB);
        surface.movePenTo(curveOrigin);
        surface.drawLineTo({pointCount - 1, curveOrigin.v});
    }
    if (pointCount > 0) {
        if ((style & padShowCurveB) != 0) {
            drawCurve(surface, curveB, colorB);
        }
        if ((style & padShowCurveA) != 0) {
            drawCurve(surface, curveA, colorA);
        }
    }
    surface.blitTo(context, bounds, {0, 0});
}

void GuiXYPad::onMouseDown(GuiDrawContext& context, GuiPoint where) {
    std::int32_t mouse = context.readMouseState();
    if (!acceptsMouse() || (mouse & mousePrimary) == 0) {
        return;
    }
    GuiFrame* frame = ownerFrame;
    if (frame != nullptr) {
        if (tagX >= 0) {
            frame->notifyEditStart(tagX);
        }
        if (tagY >= 0) {
            frame->notifyEditStart(tagY);
        }
    }
    // A pad without area has no distance to map; it keeps its values instead of dividing by zero.
    const float stepX = width > 0 ? 1.0f / static_cast<float>(width) : 0.0f;
    const float stepY = height > 0 ? 1.0f / static_cast<float>(height) : 0.0f;
    const float startX = valueX;
    const float startY = valueY;
    float previousX = startX;
    float previousY = startY;
    do {
        GuiPoint cursor;
        context.readCursorPosition(cursor);
        float fx = stepX;
        float fy = stepY;
        if ((mouse & keyShift) != 0) {
            fx *= fineFactor;
            fy *= fineFactor;
        }
        if ((mouse & keyAlt) == 0) {
            valueX = limitUnit(startX + fx * static_cast<float>(cursor.h - where.h));
        }
        if ((mouse & keyControl) == 0) {
            valueY = limitUnit(startY - fy * static_cast<float>(cursor.v - where.v));
        }
        if ((valueX != previousX || valueY != previousY) && listener != nullptr) {
            listener->controlChanged(context, this);
        }
        requestIdle();
        mouse = context.readMouseState();
        previousX = valueX;
        previousY = valueY;
    } while ((mouse & mousePrimary) != 0);
    if (frame != nullptr) {
        if (tagX >= 0) {
            frame->notifyEditEnd(tagX);
        }
        if (tagY >= 0) {
            frame->notifyEditEnd(tagY);
        }
    }
}

} // namespace chorus
