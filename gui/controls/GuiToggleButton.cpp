#include "gui/controls/GuiToggleButton.h"

#include "gui/controls/GuiBlit.h"
#include "gui/controls/GuiEditGesture.h"
#include "gui/core/GuiControlListener.h"
#include "gui/core/GuiDrawContext.h"

#include <cmath>

namespace chorus {

GuiToggleButton::GuiToggleButton(const GuiRect& rect, GuiControlListener* changeListener,
                                 std::int32_t controlTag, GuiBitmap* background)
    : GuiControl(rect, changeListener, controlTag, background) {}

GuiToggleButton::~GuiToggleButton() = default;

void GuiToggleButton::paint(GuiDrawContext& context) {
    GuiPoint offset{0, 0};
    if (value != 0.0f && backgroundBitmap != nullptr) {
        offset.v = backgroundBitmap->getHeight() / 2;
    }
    blitBitmap(backgroundBitmap, context, bounds, offset, drawsTransparent());
    setNeedsRedraw(false);
}

bool GuiToggleButton::takesPress(GuiDrawContext& context) const {
    return acceptsMouse() && (context.readMouseState() & mousePrimary) != 0;
}

void GuiToggleButton::toggle(GuiDrawContext& context) {
    // Values with a non-zero integer part (1.0 and beyond) switch off; everything in (-1, 1) switches on.
    value = std::trunc(value) != 0.0f ? 0.0f : 1.0f;
    requestIdle();
    if (listener != nullptr) {
        listener->controlChanged(context, this);
    }
}

void GuiToggleButton::onMouseDown(GuiDrawContext& context, GuiPoint) {
    if (!takesPress(context)) {
        return;
    }
    const GuiEditGesture gesture(*this);
    toggle(context);
}

} // namespace chorus
