#include "gui/controls/GuiMomentaryButton.h"

#include "gui/controls/GuiBlit.h"
#include "gui/controls/GuiEditGesture.h"
#include "gui/core/GuiControlListener.h"
#include "gui/core/GuiDrawContext.h"

namespace chorus {

GuiMomentaryButton::GuiMomentaryButton(const GuiRect& rect, GuiControlListener* changeListener,
                                       std::int32_t controlTag, std::int32_t onImageDistance,
                                       GuiBitmap* background, GuiPoint origin)
    : GuiControl(rect, changeListener, controlTag, background), bitmapOrigin(origin),
      imageHeight(onImageDistance) {}

GuiMomentaryButton::~GuiMomentaryButton() = default;

void GuiMomentaryButton::paint(GuiDrawContext& context) {
    clampValue();
    GuiPoint offset = bitmapOrigin;
    if (value != 0.0f) {
        offset.v += imageHeight;
    }
    blitBitmap(backgroundBitmap, context, bounds, offset, drawsTransparent());
    setNeedsRedraw(false);
}

void GuiMomentaryButton::tell(GuiDrawContext& context) {
    if (listener != nullptr) {
        listener->controlChanged(context, this);
    }
}

void GuiMomentaryButton::onMouseDown(GuiDrawContext& context, GuiPoint where) {
    const std::int32_t state = context.readMouseState();
    if (!acceptsMouse() || (state & mousePrimary) == 0) {
        return;
    }
    const float pressValue = value;
    const float flipped = pressValue == 0.0f ? 1.0f : 0.0f;
    const GuiEditGesture gesture(*this);
    if (state == mousePrimary) {
        // Track: on while the pointer is over the button, back to the press value when it leaves.
        do {
            value = bounds.contains(where) ? flipped : pressValue;
            if (needsRedraw() && listener != nullptr) {
                listener->controlChanged(context, this);
            }
            context.readCursorPosition(where);
            requestIdle();
        } while (context.readMouseState() == mousePrimary);
    } else {
        value = flipped;
        tell(context);
    }
    value = 0.0f;
    tell(context);
}

} // namespace chorus
