#include "gui/controls/GuiSlider.h"

#include "gui/controls/GuiBlit.h"
#include "gui/controls/GuiEditGesture.h"
#include "gui/controls/GuiStepInput.h"
#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiControlListener.h"
#include "gui/core/GuiFrame.h"
#include "gui/core/GuiOffscreenContext.h"

#include <algorithm>
#include <cmath>

namespace chorus {

namespace {

// Keeps a far out-of-range value from overflowing the pixel arithmetic.
constexpr float pixelLimit = 1.0e6f;

std::int32_t toPixels(float position) noexcept {
    return static_cast<std::int32_t>(std::clamp(position, -pixelLimit, pixelLimit));
}

} // namespace

GuiSlider::GuiSlider(const GuiRect& rect, GuiControlListener* changeListener, std::int32_t controlTag,
                     std::int32_t minPosition, std::int32_t maxPosition, GuiBitmap* thumb,
                     GuiBitmap* background, GuiPoint origin, std::int32_t style)
    : GuiControl(rect, changeListener, controlTag, background), bitmapOrigin(origin), thumbBitmap(thumb),
      travel(maxPosition - minPosition), sliderStyle(style), controlWidth(rect.right - rect.left),
      controlHeight(rect.bottom - rect.top) {
    if (thumbBitmap != nullptr) {
        thumbBitmap->retain();
        thumbWidth = thumbBitmap->getWidth();
        thumbHeight = thumbBitmap->getHeight();
    }
    startPosition = minPosition - edgeAlong();
    GuiSlider::setThumbOffset(GuiPoint{0, 0});
}

GuiSlider::~GuiSlider() {
    offscreen.reset();
    if (thumbBitmap != nullptr) {
        thumbBitmap->release();
    }
}

void GuiSlider::setThumbKeyed(bool keyed) {
    thumbKeyed = keyed;
}

void GuiSlider::setClickAnywhere(bool anywhere) {
    clickAnywhere = anywhere;
}

bool GuiSlider::getClickAnywhere() const {
    return clickAnywhere;
}

void GuiSlider::setThumbOffset(GuiPoint offset) {
    thumbOffset = offset;
    lowestThumbPosition = startPosition + offsetAlong();
    highestThumbPosition = lowestThumbPosition + thumbSizeAlong() + travel;
}

void GuiSlider::setThumbBitmap(GuiBitmap* bitmap) {
    if (bitmap != nullptr) {
        thumbWidth = bitmap->getWidth();
        thumbHeight = bitmap->getHeight();
    }
    GuiBitmap::assign(thumbBitmap, bitmap);
}

GuiBitmap* GuiSlider::getThumbBitmap() const {
    return thumbBitmap;
}

void GuiSlider::setFineFactor(float factor) {
    // The factor divides the mouse's travel: only a positive finite one makes sense.
    if (factor > 0.0f && std::isfinite(factor)) {
        fineFactor = factor;
    }
}

float GuiSlider::getFineFactor() const {
    return fineFactor;
}

std::int32_t GuiSlider::thumbNearEdge() const noexcept {
    const float fraction = isDirect() ? value : 1.0f - value;
    return toPixels(static_cast<float>(travel) * fraction) + offsetAlong();
}

GuiRect GuiSlider::thumbRect() const {
    // A value outside the range leaves the whole thumb at that end rather than turning it inside out.
    const std::int32_t nearEdge =
        std::max(std::min(thumbNearEdge(), highestThumbPosition - thumbSizeAlong()), lowestThumbPosition);
    const std::int32_t farEdge = std::min(nearEdge + thumbSizeAlong(), highestThumbPosition);
    const std::int32_t crossStart = offsetAcross();
    const std::int32_t crossEnd = crossStart + thumbSizeAcross();
    if (isHorizontal()) {
        return GuiRect{nearEdge, crossStart, farEdge, crossEnd};
    }
    return GuiRect{crossStart, nearEdge, crossEnd, farEdge};
}

void GuiSlider::paint(GuiDrawContext& context) {
    if (!offscreen) {
        return; // painting needs the surface, which exists only while attached
    }
    blitBitmap(backgroundBitmap, *offscreen, GuiRect{0, 0, controlWidth, controlHeight}, bitmapOrigin,
               drawsTransparent());
    blitBitmap(thumbBitmap, *offscreen, thumbRect(), GuiPoint{0, 0}, thumbKeyed);
    offscreen->blitTo(context, bounds, GuiPoint{0, 0});
    setNeedsRedraw(false);
}

void GuiSlider::onMouseDown(GuiDrawContext& context, GuiPoint where) {
    if (!acceptsMouse()) {
        return;
    }
    const std::int32_t state = context.readMouseState();
    if (state == (mousePrimary | keyControl)) {
        value = getResetValue();
        if (needsRedraw() && listener != nullptr) {
            listener->controlChanged(context, this);
        }
        return;
    }
    if ((state & mousePrimary) == 0) {
        return;
    }
    std::int32_t origin = edgeAlong() + offsetAlong();
    if (clickAnywhere) {
        // The thumb's centre follows the mouse.
        origin += thumbSizeAlong() / 2 - 1;
    } else {
        // Only a press on the thumb drags, and it keeps the point where the thumb was grabbed.
        const std::int32_t nearEdge = thumbNearEdge() + edgeAlong();
        const std::int32_t crossStart = edgeAcross() + offsetAcross();
        const std::int32_t pressAlong = along(where);
        const std::int32_t pressAcross = across(where);
        if (pressAlong < nearEdge || pressAlong > nearEdge + thumbSizeAlong() || pressAcross < crossStart ||
            pressAcross > crossStart + thumbSizeAcross()) {
            return;
        }
        origin += pressAlong - nearEdge;
    }
    float savedValue = value;
    std::int32_t savedState = state;
    const GuiEditGesture gesture(*this);
    if (ownerFrame != nullptr) {
        ownerFrame->setFocusChild(this);
    }
    for (std::int32_t s = context.readMouseState(); (s & mousePrimary) != 0; s = context.readMouseState()) {
        if (s != savedState && (s & keyShift) != 0) {
            savedState = s;
            savedValue = value;
        } else if ((s & keyShift) == 0) {
            savedValue = value;
        }
        // A slider without travel has nowhere to go: it stays at its start.
        const float f =
            travel != 0 ? static_cast<float>(along(where) - origin) / static_cast<float>(travel) : 0.0f;
        value = isReversed() ? 1.0f - f : f;
        if ((s & keyShift) != 0) {
            value = savedValue + (value - savedValue) / fineFactor;
        }
        clampValue();
        if (needsRedraw() && listener != nullptr) {
            listener->controlChanged(context, this);
        }
        context.readCursorPosition(where);
        requestIdle();
    }
}

std::int32_t GuiSlider::onKeyPressed(const GuiKeyRecord& key) {
    return GuiStepInput::keyPressed(*this, key);
}

bool GuiSlider::onWheelTurned(GuiDrawContext* context, GuiPoint, float distance) {
    return GuiStepInput::wheelTurned(*this, context, distance);
}

bool GuiSlider::onDetached(GuiFrame*) {
    offscreen.reset();
    return true;
}

bool GuiSlider::onAttached(GuiFrame* container) {
    offscreen.reset();
    GuiFrame* frame = container != nullptr ? container : ownerFrame;
    offscreen = std::make_unique<GuiOffscreenContext>(frame, controlWidth, controlHeight, colorBlack);
    return true;
}

} // namespace chorus
