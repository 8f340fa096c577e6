#pragma once

#include "gui/controls/GuiSlider.h"

namespace chorus {

// A slider whose thumb moves along x.
class GuiHorizontalSlider : public GuiSlider {
public:
    GuiHorizontalSlider(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag,
                        std::int32_t minPosition, std::int32_t maxPosition, GuiBitmap* thumbBitmap,
                        GuiBitmap* background, GuiPoint bitmapOrigin, std::int32_t style);

protected:
    ~GuiHorizontalSlider() override;
};

} // namespace chorus
