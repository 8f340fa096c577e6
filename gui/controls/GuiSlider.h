#pragma once

#include "gui/core/GuiControl.h"

#include <memory>

namespace chorus {

class GuiOffscreenContext;

// Slider style bits. Exactly one of the four origin bits is expected.
enum SliderStyle : std::int32_t {
    sliderHorizontal = 0x1, // the thumb moves along x; otherwise along y
    sliderVertical = 0x2,
    sliderFromLeft = 0x8,    // value 0 at the left
    sliderFromRight = 0x10,  // value 0 at the right
    sliderFromTop = 0x20,    // value 0 at the top
    sliderFromBottom = 0x40, // value 0 at the bottom
};

// A thumb bitmap moving over a background bitmap along one axis; the value follows the thumb. It composes
// background and thumb in an off-screen surface of its own size, which exists exactly while the slider
// is attached to a frame, and copies it to the window in one piece. Arrow keys and the wheel behave as
// for the knobs.
class GuiSlider : public GuiControl {
public:
    static constexpr float defaultFineFactor = 10.0f;

    // minPosition and maxPosition: absolute coordinates (x when horizontal, else y) of the thumb's near
    // edge at the two ends of its travel.
    GuiSlider(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag, std::int32_t minPosition,
              std::int32_t maxPosition, GuiBitmap* thumbBitmap, GuiBitmap* background, GuiPoint bitmapOrigin,
              std::int32_t style);

    void paint(GuiDrawContext& context) override;
    void onMouseDown(GuiDrawContext& context, GuiPoint where) override;
    std::int32_t onKeyPressed(const GuiKeyRecord& key) override;
    bool onWheelTurned(GuiDrawContext* context, GuiPoint where, float distance) override;
    bool onDetached(GuiFrame* container) override;
    bool onAttached(GuiFrame* container) override;

    virtual void setThumbKeyed(bool keyed);
    virtual void setClickAnywhere(bool anywhere);
    virtual bool getClickAnywhere() const;
    virtual void setThumbOffset(GuiPoint offset);
    // The thumb limits follow only at the next setThumbOffset.
    virtual void setThumbBitmap(GuiBitmap* bitmap);
    virtual GuiBitmap* getThumbBitmap() const;
    // Ignores factors that are not positive and finite.
    virtual void setFineFactor(float factor);
    virtual float getFineFactor() const;

    // The thumb's rectangle on the surface (relative to the top-left corner) for the current value.
    GuiRect thumbRect() const;
    GuiOffscreenContext* getOffscreen() const noexcept { return offscreen.get(); }
    std::int32_t getTravel() const noexcept { return travel; }
    std::int32_t getStyle() const noexcept { return sliderStyle; }
    std::int32_t getStartPosition() const noexcept { return startPosition; }
    std::int32_t getLowestThumbPosition() const noexcept { return lowestThumbPosition; }
    std::int32_t getHighestThumbPosition() const noexcept { return highestThumbPosition; }

protected:
    ~GuiSlider() override;

private:
    bool isHorizontal() const noexcept { return (sliderStyle & sliderHorizontal) != 0; }
    // Value 0 at the start position (left or top).
    bool isDirect() const noexcept { return (sliderStyle & (sliderFromLeft | sliderFromTop)) != 0; }
    bool isReversed() const noexcept { return (sliderStyle & (sliderFromRight | sliderFromBottom)) != 0; }
    std::int32_t thumbSizeAlong() const noexcept { return isHorizontal() ? thumbWidth : thumbHeight; }
    std::int32_t thumbSizeAcross() const noexcept { return isHorizontal() ? thumbHeight : thumbWidth; }
    std::int32_t offsetAlong() const noexcept { return isHorizontal() ? thumbOffset.h : thumbOffset.v; }
    std::int32_t offsetAcross() const noexcept { return isHorizontal() ? thumbOffset.v : thumbOffset.h; }
    std::int32_t edgeAlong() const noexcept { return isHorizontal() ? bounds.left : bounds.top; }
    std::int32_t edgeAcross() const noexcept { return isHorizontal() ? bounds.top : bounds.left; }
    std::int32_t along(GuiPoint p) const noexcept { return isHorizontal() ? p.h : p.v; }
    std::int32_t across(GuiPoint p) const noexcept { return isHorizontal() ? p.v : p.h; }
    // The thumb's near edge along the axis, relative to the slider, before the limits apply.
    std::int32_t thumbNearEdge() const noexcept;

    GuiPoint bitmapOrigin;
    GuiPoint thumbOffset;
    GuiBitmap* thumbBitmap = nullptr;
    std::unique_ptr<GuiOffscreenContext> offscreen;
    std::int32_t thumbWidth = 1;
    std::int32_t thumbHeight = 1;
    std::int32_t travel = 0;
    std::int32_t sliderStyle = 0;
    std::int32_t lowestThumbPosition = 0;
    std::int32_t highestThumbPosition = 0;
    std::int32_t startPosition = 0;
    std::int32_t controlWidth = 0;
    std::int32_t controlHeight = 0;
    float fineFactor = defaultFineFactor;
    bool thumbKeyed = true;
    bool clickAnywhere = true;
};

} // namespace chorus
