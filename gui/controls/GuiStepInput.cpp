#include "gui/controls/GuiStepInput.h"

#include "gui/controls/GuiEditGesture.h"
#include "gui/controls/GuiTemporaryContext.h"
#include "gui/core/GuiControl.h"
#include "gui/core/GuiControlListener.h"

#include <cmath>
#include <optional>

namespace chorus {

namespace {

void stepBy(GuiControl& control, GuiDrawContext& context, float amount) {
    control.setValue(control.getValue() + amount);
    control.clampValue();
    if (control.needsRedraw() && control.getListener() != nullptr) {
        control.getListener()->controlChanged(context, &control);
    }
}

} // namespace

std::int32_t GuiStepInput::keyPressed(GuiControl& control, const GuiKeyRecord& key) {
    if (key.virtualKey < firstArrowKey || key.virtualKey > lastArrowKey) {
        return -1;
    }
    const GuiEditGesture gesture(control);
    const float direction =
        (key.virtualKey == firstArrowKey || key.virtualKey == lastArrowKey) ? -1.0f : 1.0f;
    float amount = control.getWheelStep();
    if ((key.modifiers & fineModifierBit) != 0) {
        amount *= fineStepFactor;
    }
    // Keys come without a drawing context; the listener gets one on the window so that it can repaint.
    GuiTemporaryContext context(control.getOwnerFrame());
    stepBy(control, context.get(), direction * amount);
    return 1;
}

bool GuiStepInput::wheelTurned(GuiControl& control, GuiDrawContext* context, float distance) {
    if (!control.acceptsMouse() || !std::isfinite(distance)) {
        return false;
    }
    const GuiEditGesture gesture(control);
    std::optional<GuiTemporaryContext> temporary;
    if (context == nullptr) {
        temporary.emplace(control.getOwnerFrame());
        context = &temporary->get();
    }
    float amount = distance * control.getWheelStep();
    if ((context->readMouseState() & keyShift) != 0) {
        amount *= fineStepFactor;
    }
    stepBy(control, *context, amount);
    return true;
}

} // namespace chorus
