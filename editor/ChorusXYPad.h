#pragma once

#include "gui/core/GuiXYPad.h"

#include <cstdint>
#include <vector>

namespace chorus {

// The chorus editor's dark display: an XY pad (Freq across, Delay up) that draws the editor's picture of
// the modulation from the bottom edge up: the waveform (curve A, white), the rippled copy it modulates
// (curve B, cyan) and, for every stage past the first, two grey copies of the waveform shifted right.
class ChorusXYPad : public GuiXYPad {
public:
    static constexpr GuiColor waveColor = colorWhite;
    static constexpr GuiColor rippleColor{145, 227, 238, 0};
    static constexpr std::int32_t copyGreyStart = 225; // grey level before the per-shift darkening
    static constexpr std::int32_t copyGreyStep = 15;   // darker by this much per pixel of shift

    ChorusXYPad(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag, GuiBitmap* background,
                std::int32_t style);

    void paint(GuiDrawContext& context) override;
    // which 1: the waveform's colour, 2: the ripple's; any other changes nothing. Always asks for a redraw.
    void setCurveColor(std::int32_t which, GuiColor color) override;

    // Stored for the next paint; neither asks for a redraw.
    virtual void setStageCount(std::int32_t count);
    virtual void setShapeIndex(std::int32_t index);
    // which 0: the waveform, 1: the ripple. values are fractions of the pad's height above its bottom
    // edge (1 reaches the top row); the last point of the curve is put on the baseline.
    virtual void setCurveHeights(std::int32_t which, const float* values, std::int32_t count);

    std::int32_t getStageCount() const noexcept { return stageCount; }
    std::int32_t getShapeIndex() const noexcept { return shapeIndex; }
    // Entry of curve which (0 waveform, 1 ripple) in pixels from the baseline, negative upward.
    float getHeightPoint(std::int32_t which, std::int32_t index) const noexcept;
    // The row an entry is drawn on, in pad coordinates.
    std::int32_t rowOf(float entry) const noexcept;

protected:
    ~ChorusXYPad() override;

private:
    void drawCurve(GuiDrawContext& surface, const std::vector<float>& curve, std::int32_t shift, bool pinned);

    std::int32_t stageCount = 1;
    std::int32_t shapeIndex = 0;
    std::int32_t points = 0;
    GuiPoint origin;
    std::vector<float> wave;
    std::vector<float> ripple;
};

} // namespace chorus
