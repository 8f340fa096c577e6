#pragma once

#include "gui/core/GuiControl.h"

namespace chorus {

// A two-state button drawn from a bitmap holding the off image above the on image, each half of the
// bitmap's height. Every press flips the value between 0 and 1 at once (no tracking).
class GuiToggleButton : public GuiControl {
public:
    GuiToggleButton(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag,
                    GuiBitmap* background);

    void paint(GuiDrawContext& context) override;
    void onMouseDown(GuiDrawContext& context, GuiPoint where) override;

protected:
    ~GuiToggleButton() override;

    // Whether a press is taken: the mouse is accepted and the primary button is down.
    bool takesPress(GuiDrawContext& context) const;
    // The press without edit bracketing: flips the value, asks for idle and tells the listener.
    void toggle(GuiDrawContext& context);
};

} // namespace chorus
