#include "gui/controls/GuiHorizontalSlider.h"

namespace chorus {

GuiHorizontalSlider::GuiHorizontalSlider(const GuiRect& rect, GuiControlListener* changeListener,
                                         std::int32_t controlTag, std::int32_t minPosition,
                                         std::int32_t maxPosition, GuiBitmap* thumb, GuiBitmap* background,
                                         GuiPoint origin, std::int32_t style)
    : GuiSlider(rect, changeListener, controlTag, minPosition, maxPosition, thumb, background, origin,
                style | sliderHorizontal) {}

GuiHorizontalSlider::~GuiHorizontalSlider() = default;

} // namespace chorus
