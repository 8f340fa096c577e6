#pragma once

#include "gui/core/GuiView.h"

namespace chorus {

class GuiBitmap;
class GuiControlListener;

// A view that carries one parameter value with its range, reset value and wheel step, the tag of the
// parameter (negative: none), a listener and a shared background bitmap.
// It needs a redraw while value differs from the value shown at its last paint.
class GuiControl : public GuiView {
public:
    GuiControl(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag, GuiBitmap* background);

    void paint(GuiDrawContext& context) override = 0;
    bool needsRedraw() const override;
    // true marks the control out of date even when its value matches; false records value as shown.
    void setNeedsRedraw(bool needed) override;

    // One pass of the editor's throttled idle (repaints happen there); nothing without frame or editor.
    virtual void requestIdle();
    // Stores the value as it is: no clamping, no redraw flag.
    virtual void setValue(float newValue);
    virtual float getValue() const;
    virtual void setMinimum(float newMinimum);
    virtual float getMinimum() const;
    virtual void setMaximum(float newMaximum);
    virtual float getMaximum() const;
    virtual void setShownValue(float newShownValue);
    virtual float getShownValue() const;
    virtual void setResetValue(float newResetValue);
    virtual float getResetValue() const;
    virtual void setTag(std::int32_t newTag);
    // Retains the new bitmap before releasing the old one, so setting the held bitmap again is safe.
    virtual void setBackgroundBitmap(GuiBitmap* bitmap);
    virtual GuiBitmap* getBackgroundBitmap() const;
    virtual void setWheelStep(float step);
    virtual float getWheelStep() const;
    virtual void clampValue();

    std::int32_t getTag() const noexcept { return tag; }
    GuiControlListener* getListener() const noexcept { return listener; }
    void setListener(GuiControlListener* newListener) noexcept { listener = newListener; }

protected:
    ~GuiControl() override;

    GuiControlListener* listener = nullptr;
    std::int32_t tag = -1;
    float shownValue = 1.0f;
    float resetValue = 0.5f;
    float value = 0.0f;
    float minimum = 0.0f;
    float maximum = 1.0f;
    float wheelStep = 0.1f;
    GuiBitmap* backgroundBitmap = nullptr;
};

} // namespace chorus
