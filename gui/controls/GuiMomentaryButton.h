#pragma once

#include "gui/core/GuiControl.h"

namespace chorus {

// A button that is on (1) while the mouse is held on it and off (0) otherwise. Every press ends with a
// 0 notification; a press with a modifier or a second button held gives an on/off pulse without tracking.
class GuiMomentaryButton : public GuiControl {
public:
    // bitmapOrigin: top-left of the off image in the bitmap; imageHeight: distance down to the on image.
    GuiMomentaryButton(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag,
                       std::int32_t imageHeight, GuiBitmap* background, GuiPoint bitmapOrigin);

    void paint(GuiDrawContext& context) override;
    void onMouseDown(GuiDrawContext& context, GuiPoint where) override;

protected:
    ~GuiMomentaryButton() override;

private:
    void tell(GuiDrawContext& context);

    GuiPoint bitmapOrigin;
    std::int32_t imageHeight = 0;
};

} // namespace chorus
