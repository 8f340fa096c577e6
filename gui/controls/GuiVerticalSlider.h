#pragma once

#include "gui/controls/GuiSlider.h"

namespace chorus {

// A slider whose thumb moves along y.
class GuiVerticalSlider : public GuiSlider {
public:
    GuiVerticalSlider(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag,
                      std::int32_t minPosition, std::int32_t maxPosition, GuiBitmap* thumbBitmap,
                      GuiBitmap* background, GuiPoint bitmapOrigin, std::int32_t style);

protected:
    ~GuiVerticalSlider() override;
};

} // namespace chorus
