#include "gui/controls/GuiVerticalSlider.h"

namespace chorus {

GuiVerticalSlider::GuiVerticalSlider(const GuiRect& rect, GuiControlListener* changeListener,
                                     std::int32_t controlTag, std::int32_t minPosition,
                                     std::int32_t maxPosition, GuiBitmap* thumb, GuiBitmap* background,
                                     GuiPoint origin, std::int32_t style)
    : GuiSlider(rect, changeListener, controlTag, minPosition, maxPosition, thumb, background, origin,
                style | sliderVertical) {}

GuiVerticalSlider::~GuiVerticalSlider() = default;

} // namespace chorus
