#pragma once

namespace chorus {

class GuiControl;
class GuiDrawContext;

// Told by a control, during the user's gesture and with its draw context, each time the user changed the
// control's value; the listener reads the new value from the control.
class GuiControlListener {
public:
    virtual ~GuiControlListener() = default;
    virtual void controlChanged(GuiDrawContext& context, GuiControl* control) = 0;
};

} // namespace chorus
