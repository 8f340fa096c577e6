#include "gui/controls/GuiKnob.h"

#include "gui/controls/GuiBlit.h"
#include "gui/controls/GuiEditGesture.h"
#include "gui/controls/GuiStepInput.h"
#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiControlListener.h"
#include "gui/core/GuiDrawContext.h"
#include "gui/core/GuiFrame.h"

#include <cmath>

namespace chorus {

namespace {

constexpr GuiPoint noPoint{-1, -1};

std::int32_t insetForPointer(const GuiBitmap& bitmap) noexcept {
    return static_cast<std::int32_t>(static_cast<float>(bitmap.getWidth()) * 0.5f + 2.5f);
}

float normaliseAngle(float angle) noexcept {
    if (angle < 0.0f) {
        return angle + GuiKnob::twoPi;
    }
    if (static_cast<double>(angle) > GuiKnob::twoPiWide) {
        return angle - GuiKnob::twoPi;
    }
    return angle;
}

std::int32_t roundHalfUp(float coordinate) noexcept {
    return static_cast<std::int32_t>(coordinate + 0.5f);
}

} // namespace

GuiKnob::GuiKnob(const GuiRect& rect, GuiControlListener* changeListener, std::int32_t controlTag,
                 GuiBitmap* background, GuiBitmap* pointer, GuiPoint origin)
    : GuiControl(rect, changeListener, controlTag, background), bitmapOrigin(origin), pointerBitmap(pointer) {
    if (pointerBitmap != nullptr) {
        pointerBitmap->retain();
        pointerInset = insetForPointer(*pointerBitmap);
    }
    knobRadius = static_cast<float>(rect.right - rect.left) * 0.5f;
    // The sweep is a non-zero placeholder until the real one is set, so no step divides by zero.
    arcSweep = 1.0f;
    GuiKnob::setArcStart(defaultArcStart);
    GuiKnob::setArcSweep(defaultArcSweep);
}

GuiKnob::~GuiKnob() {
    if (pointerBitmap != nullptr) {
        pointerBitmap->release();
    }
}

void GuiKnob::recomputeArc() {
    valuePerRadian = (maximum - minimum) / arcSweep;
    valueAtZeroAngle = minimum - valuePerRadian * arcStart;
    halfGap = (twoPi - std::fabs(arcSweep)) * 0.5f;
    setNeedsRedraw(true);
}

void GuiKnob::setArcStart(float radians) {
    arcStart = radians;
    recomputeArc();
}

float GuiKnob::getArcStart() const {
    return arcStart;
}

void GuiKnob::setArcSweep(float radians) {
    if (radians == 0.0f || !std::isfinite(radians)) {
        return;
    }
    arcSweep = radians;
    recomputeArc();
}

float GuiKnob::getArcSweep() const {
    return arcSweep;
}

void GuiKnob::pointForValue(GuiPoint& out) const {
    const float alpha = (value - valueAtZeroAngle) / valuePerRadian;
    const float reach = knobRadius - static_cast<float>(pointerInset);
    out.h = roundHalfUp(knobRadius + std::cos(alpha) * reach);
    out.v = roundHalfUp(knobRadius - std::sin(alpha) * reach);
}

float GuiKnob::valueAtPoint(GuiPoint point) const {
    float theta =
        std::atan2(knobRadius - static_cast<float>(point.v), static_cast<float>(point.h) - knobRadius);
    if (theta < 0.0f) {
        theta += twoPi;
    }
    const float d = theta - arcStart;
    if (arcSweep < 0.0f) {
        // Measured from the maximum's end of a clockwise sweep.
        float a = d - arcSweep;
        const float t = normaliseAngle(a);
        const float limit = halfGap - arcSweep;
        if (t > limit) {
            return maximum;
        }
        if (t > -arcSweep) {
            return minimum;
        }
        if (a > limit) {
            a -= twoPi;
        } else if (a < -halfGap) {
            a += twoPi;
        }
        return maximum + a * valuePerRadian;
    }
    const float t = normaliseAngle(d);
    const float limit = arcSweep + halfGap;
    if (t > limit) {
        return minimum;
    }
    if (t > arcSweep) {
        return maximum;
    }
    float a = d;
    if (a > limit) {
        a -= twoPi;
    } else if (a < -halfGap) {
        a += twoPi;
    }
    return minimum + a * valuePerRadian;
}

void GuiKnob::paint(GuiDrawContext& context) {
    blitBitmap(backgroundBitmap, context, bounds, bitmapOrigin, drawsTransparent());
    paintPointer(context);
    setNeedsRedraw(false);
}

void GuiKnob::paintPointer(GuiDrawContext& context) {
    GuiPoint p;
    pointForValue(p);
    if (pointerBitmap != nullptr) {
        const std::int32_t w = pointerBitmap->getWidth();
        const std::int32_t h = pointerBitmap->getHeight();
        const GuiPoint corner{bounds.left + p.h - w / 2, bounds.top + p.v - h / 2};
        pointerBitmap->blitKeyed(context, GuiRect{corner.h, corner.v, corner.h + w, corner.v + h},
                                 GuiPoint{0, 0});
        return;
    }
    // A two-pixel line: the shadow, then the pointer one pixel up and to the right.
    GuiPoint a{bounds.left + p.h - 1, bounds.top + p.v};
    GuiPoint c{bounds.left + (bounds.right - bounds.left) / 2 - 1,
               bounds.top + (bounds.bottom - bounds.top) / 2};
    context.setPenColor(pointerShadowColor);
    context.movePenTo(a);
    context.drawLineTo(c);
    a = GuiPoint{a.h + 1, a.v - 1};
    c = GuiPoint{c.h + 1, c.v - 1};
    context.setPenColor(pointerColor);
    context.movePenTo(a);
    context.drawLineTo(c);
}

GuiPoint GuiKnob::relative(GuiPoint where) const noexcept {
    return GuiPoint{where.h - bounds.left, where.v - bounds.top};
}

void GuiKnob::onMouseDown(GuiDrawContext& context, GuiPoint where) {
    const std::int32_t state = context.readMouseState();
    if (!acceptsMouse() || (state & mousePrimary) == 0) {
        return;
    }
    if (state == (mousePrimary | keyControl)) {
        // Reset: a single change, not a gesture.
        value = getResetValue();
        if (needsRedraw() && listener != nullptr) {
            listener->controlChanged(context, this);
        }
        return;
    }
    const std::int32_t mode = ownerFrame != nullptr ? ownerFrame->getRotaryMode() : 0;
    const bool altHeld = (state & keyAlt) != 0;
    // Alt swaps the two modes.
    const bool circular = (mode != linearRotaryMode) != altHeld;
    const GuiEditGesture gesture(*this);
    if (ownerFrame != nullptr) {
        ownerFrame->setFocusChild(this);
    }
    if (circular) {
        dragCircular(context, where);
    } else {
        dragLinear(context, where, state);
    }
}

void GuiKnob::dragLinear(GuiDrawContext& context, GuiPoint where, std::int32_t pressState) {
    auto coefficientFor = [this](std::int32_t state) {
        const float divisor =
            (state & keyShift) != 0 ? linearPixelsPerRange * fineFactor : linearPixelsPerRange;
        return (maximum - minimum) / divisor;
    };
    float coefficient = coefficientFor(pressState);
    const GuiPoint anchor = where;
    float startValue = value;
    std::int32_t lastState = pressState;
    GuiPoint last = noPoint;
    std::int32_t state = 0;
    do {
        state = context.readMouseState();
        if (where != last) {
            last = where;
            const float delta = static_cast<float>((where.h - anchor.h) + (anchor.v - where.v));
            if (state != lastState) {
                // A new speed continues from the current value instead of jumping.
                lastState = state;
                const float newCoefficient = coefficientFor(state);
                startValue += (coefficient - newCoefficient) * delta;
                coefficient = newCoefficient;
            }
            value = startValue + delta * coefficient;
            clampValue();
            if (needsRedraw() && listener != nullptr) {
                listener->controlChanged(context, this);
            }
        }
        context.readCursorPosition(where);
        requestIdle();
    } while ((state & mousePrimary) != 0);
}

void GuiKnob::dragCircular(GuiDrawContext& context, GuiPoint where) {
    float lastGood = valueAtPoint(relative(where));
    const float halfRange = (maximum - minimum) * 0.5f;
    GuiPoint last = noPoint;
    std::int32_t state = 0;
    do {
        state = context.readMouseState();
        if (where != last) {
            last = where;
            const float v = valueAtPoint(relative(where));
            value = v;
            // A jump of more than half the range means the mouse crossed the dead arc: stay pinned at the
            // end it left until it comes back.
            if (lastGood - v > halfRange) {
                value = maximum;
            } else if (v - lastGood > halfRange) {
                value = minimum;
            } else {
                lastGood = v;
            }
            if (needsRedraw() && listener != nullptr) {
                listener->controlChanged(context, this);
            }
        }
        context.readCursorPosition(where);
        requestIdle();
    } while ((state & mousePrimary) != 0);
}

std::int32_t GuiKnob::onKeyPressed(const GuiKeyRecord& key) {
    return GuiStepInput::keyPressed(*this, key);
}

bool GuiKnob::onWheelTurned(GuiDrawContext* context, GuiPoint, float distance) {
    return GuiStepInput::wheelTurned(*this, context, distance);
}

void GuiKnob::setPointerInset(std::int32_t inset) {
    pointerInset = inset;
}

void GuiKnob::setPointerShadowColor(GuiColor color) {
    pointerShadowColor = color;
    setNeedsRedraw(true);
}

void GuiKnob::setPointerColor(GuiColor color) {
    pointerColor = color;
    setNeedsRedraw(true);
}

void GuiKnob::setPointerBitmap(GuiBitmap* bitmap) {
    if (bitmap != nullptr) {
        pointerInset = insetForPointer(*bitmap);
    }
    GuiBitmap::assign(pointerBitmap, bitmap);
}

void GuiKnob::setFineFactor(float factor) {
    // The factor divides the mouse's travel: only a positive finite one makes sense.
    if (factor > 0.0f && std::isfinite(factor)) {
        fineFactor = factor;
    }
}

float GuiKnob::getFineFactor() const {
    return fineFactor;
}

} // namespace chorus
