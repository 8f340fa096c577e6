#pragma once

#include "gui/core/GuiColor.h"
#include "gui/core/GuiControl.h"

namespace chorus {

// A rotary control: a background bitmap with a pointer (a two-colour line or a small bitmap) at an angle
// that follows the value over an arc. Dragged circularly (the value follows the mouse's angle around the
// centre) or linearly (right and up increase), stepped with the arrow keys and turned with the wheel.
// Angles are in radians, counter-clockwise from the right, with y up. Knobs are square: the centre is
// (knobRadius, knobRadius) from the top-left corner.
class GuiKnob : public GuiControl {
public:
    static constexpr float twoPi = 6.2831855f;
    static constexpr double twoPiWide = 6.283185307179586;
    static constexpr float defaultArcStart = 3.9269907f;   // 225 degrees: lower left
    static constexpr float defaultArcSweep = -4.712389f;   // 270 degrees clockwise, to the lower right
    static constexpr std::int32_t defaultPointerInset = 3; // pixels inside the rim
    static constexpr float defaultFineFactor = 1.5f;
    static constexpr float linearPixelsPerRange = 200.0f; // linear drag: pixels for the whole range
    static constexpr std::int32_t linearRotaryMode = 2;   // the frame's rotary mode for linear dragging

    GuiKnob(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag, GuiBitmap* background,
            GuiBitmap* pointerBitmap, GuiPoint bitmapOrigin);

    void paint(GuiDrawContext& context) override;
    void onMouseDown(GuiDrawContext& context, GuiPoint where) override;
    std::int32_t onKeyPressed(const GuiKeyRecord& key) override;
    bool onWheelTurned(GuiDrawContext* context, GuiPoint where, float distance) override;

    virtual void paintPointer(GuiDrawContext& context);
    virtual void setArcStart(float radians);
    virtual float getArcStart() const;
    // A sweep of 0 (or not a finite number) is refused: the value mapping divides by it.
    virtual void setArcSweep(float radians);
    virtual float getArcSweep() const;
    // The pointer's point for the current value, relative to the top-left corner.
    virtual void pointForValue(GuiPoint& out) const;
    // The value for a point relative to the top-left corner; points in the dead arc answer the end of
    // the range they are nearer to.
    virtual float valueAtPoint(GuiPoint point) const;
    virtual void setPointerInset(std::int32_t inset);
    virtual void setPointerShadowColor(GuiColor color);
    virtual void setPointerColor(GuiColor color);
    // Retains the new bitmap before releasing the old one; a new bitmap sets the inset from its width.
    virtual void setPointerBitmap(GuiBitmap* bitmap);
    // Ignores factors that are not positive and finite.
    virtual void setFineFactor(float factor);
    virtual float getFineFactor() const;

    std::int32_t getPointerInset() const noexcept { return pointerInset; }
    GuiBitmap* getPointerBitmap() const noexcept { return pointerBitmap; }
    GuiPoint getBitmapOrigin() const noexcept { return bitmapOrigin; }
    float getKnobRadius() const noexcept { return knobRadius; }

protected:
    ~GuiKnob() override;

    GuiPoint bitmapOrigin;
    GuiColor pointerColor = colorWhite;
    GuiColor pointerShadowColor = colorGrey;
    GuiBitmap* pointerBitmap = nullptr;
    std::int32_t pointerInset = defaultPointerInset;
    float arcStart = defaultArcStart;
    float arcSweep = 1.0f;
    float halfGap = 0.0f;
    float valuePerRadian = 0.0f;
    float valueAtZeroAngle = 0.0f;
    float knobRadius = 0.0f;
    float fineFactor = defaultFineFactor;

private:
    void recomputeArc();
    void dragLinear(GuiDrawContext& context, GuiPoint where, std::int32_t state);
    void dragCircular(GuiDrawContext& context, GuiPoint where);
    GuiPoint relative(GuiPoint where) const noexcept;
};

} // namespace chorus
