#include "gui/core/GuiControl.h"

#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiFrame.h"

namespace chorus {

namespace {
// A shown value that cannot equal the value, so the control stays out of date until it is painted.
constexpr float staleShownValue = -1.0f;
constexpr float staleShownValueAlternative = 0.0f;
} // namespace

GuiControl::GuiControl(const GuiRect& controlBounds, GuiControlListener* controlListener,
                       std::int32_t controlTag, GuiBitmap* background)
    : GuiView(controlBounds), listener(controlListener), tag(controlTag), backgroundBitmap(background) {
    if (backgroundBitmap != nullptr) {
        backgroundBitmap->retain();
    }
}

GuiControl::~GuiControl() {
    if (backgroundBitmap != nullptr) {
        backgroundBitmap->release();
    }
}

bool GuiControl::needsRedraw() const {
    return value != shownValue || redrawFlag;
}

void GuiControl::setNeedsRedraw(bool needed) {
    redrawFlag = needed;
    if (!needed) {
        shownValue = value;
    } else {
        shownValue = value == staleShownValue ? staleShownValueAlternative : staleShownValue;
    }
}

void GuiControl::requestIdle() {
    if (ownerFrame != nullptr && ownerFrame->getEditor() != nullptr) {
        ownerFrame->requestIdle();
    }
}

void GuiControl::setValue(float newValue) {
    value = newValue;
}

float GuiControl::getValue() const {
    return value;
}

void GuiControl::setMinimum(float newMinimum) {
    minimum = newMinimum;
}

float GuiControl::getMinimum() const {
    return minimum;
}

void GuiControl::setMaximum(float newMaximum) {
    maximum = newMaximum;
}

float GuiControl::getMaximum() const {
    return maximum;
}

void GuiControl::setShownValue(float newShownValue) {
    shownValue = newShownValue;
}

float GuiControl::getShownValue() const {
    return shownValue;
}

void GuiControl::setResetValue(float newResetValue) {
    resetValue = newResetValue;
}

float GuiControl::getResetValue() const {
    return resetValue;
}

void GuiControl::setTag(std::int32_t newTag) {
    tag = newTag;
}

void GuiControl::setBackgroundBitmap(GuiBitmap* bitmap) {
    GuiBitmap::assign(backgroundBitmap, bitmap);
}

GuiBitmap* GuiControl::getBackgroundBitmap() const {
    return backgroundBitmap;
}

void GuiControl::setWheelStep(float step) {
    wheelStep = step;
}

float GuiControl::getWheelStep() const {
    return wheelStep;
}

void GuiControl::clampValue() {
    if (value > maximum) {
        value = maximum;
    } else if (value < minimum) {
        value = minimum;
    }
}

} // namespace chorus
