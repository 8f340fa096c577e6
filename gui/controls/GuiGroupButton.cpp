#include "gui/controls/GuiGroupButton.h"

namespace chorus {

GuiGroupButton::GuiGroupButton(const GuiRect& rect, GuiControlListener* changeListener,
                               std::int32_t controlTag, GuiBitmap* background)
    : GuiToggleButton(rect, changeListener, controlTag, background) {}

GuiGroupButton::~GuiGroupButton() = default;

void GuiGroupButton::onMouseDown(GuiDrawContext& context, GuiPoint) {
    if (takesPress(context)) {
        toggle(context);
    }
}

} // namespace chorus
