#pragma once

#include "gui/controls/GuiKnob.h"

namespace chorus {

// A knob drawn as one frame of a vertical strip of pre-rendered frames (frame 0, the minimum, at the
// top). Mouse, keys and wheel behave as for GuiKnob with the default angles.
class GuiFilmstripKnob : public GuiKnob {
public:
    GuiFilmstripKnob(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag,
                     std::int32_t frameCount, std::int32_t frameHeight, GuiBitmap* background,
                     GuiPoint bitmapOrigin);

    void paint(GuiDrawContext& context) override;

    // The vertical position in the strip of the frame shown for the current value.
    std::int32_t frameOffset() const;
    std::int32_t getFrameCount() const noexcept { return frameCount; }
    std::int32_t getFrameHeight() const noexcept { return frameHeight; }

protected:
    ~GuiFilmstripKnob() override;

private:
    std::int32_t frameCount = 0;
    std::int32_t frameHeight = 0;
};

} // namespace chorus
