#pragma once

#include "gui/core/GuiColor.h"
#include "gui/core/GuiControl.h"

#include <vector>

namespace chorus {

enum PadStyle : std::int32_t { padShowCurveA = 1, padShowCurveB = 2, padBaseline = 4 };

// A control that edits two values at once (horizontal drag: valueX, vertical: valueY, both in [0, 1]) and
// shows up to two curves, one entry per pixel column, over its part of the window background.
// Shift drags finely, Alt holds valueX, Ctrl holds valueY.
class GuiXYPad : public GuiControl {
public:
    static constexpr float fineFactor = 0.33333334f;

    GuiXYPad(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag, GuiBitmap* background,
             std::int32_t style);

    void paint(GuiDrawContext& context) override;
    void onMouseDown(GuiDrawContext& context, GuiPoint where) override;

    // which 0: curve A, else curve B.
    virtual void setCurveColor(std::int32_t which, GuiColor color);
    // Values in [-1, 1] (+1 at the top); at most getPointCount values are used.
    virtual void setCurve(std::int32_t which, const float* values, std::int32_t count);
    virtual void setCurveScale(float newScale);
    virtual void setTags(std::int32_t newTagX, std::int32_t newTagY);

    void setValueX(float x) noexcept { valueX = x; }
    void setValueY(float y) noexcept { valueY = y; }
    float getValueX() const noexcept { return valueX; }
    float getValueY() const noexcept { return valueY; }
    std::int32_t getTagX() const noexcept { return tagX; }
    std::int32_t getTagY() const noexcept { return tagY; }
    std::int32_t getPointCount() const noexcept { return pointCount; }
    std::int32_t getStyle() const noexcept { return style; }
    float getCurveScale() const noexcept { return scale; }
    GuiColor getCurveColor(std::int32_t which) const noexcept { return which == 0 ? colorA : colorB; }
    GuiPoint getCurveOrigin() const noexcept { return curveOrigin; }
    // Entry i of curve which (pixel offset from the baseline, negative up); 0 outside the curve.
    float getCurvePoint(std::int32_t which, std::int32_t index) const noexcept;

protected:
    ~GuiXYPad() override;

private:
    void drawCurve(GuiDrawContext& surface, const std::vector<float>& curve, GuiColor color);

    GuiColor colorA = colorWhite;
    GuiColor colorB{180, 0, 0, 0};
    GuiPoint backgroundOffset;
    GuiPoint curveOrigin;
    std::int32_t pointCount = 0;
    std::vector<float> curveA;
    std::vector<float> curveB;
    float scale = 1.0f;
    std::int32_t style = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    float valueX = 0.0f;
    float valueY = 0.0f;
    std::int32_t tagX = -1;
    std::int32_t tagY = -1;
};

} // namespace chorus
