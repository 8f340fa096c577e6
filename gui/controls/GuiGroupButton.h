#pragma once

#include "gui/controls/GuiToggleButton.h"

namespace chorus {

// A toggle button that lives only inside a GuiButtonGroup: the group brackets the edit gesture, so the
// member's own press sends no edit start or end.
class GuiGroupButton : public GuiToggleButton {
public:
    GuiGroupButton(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag,
                   GuiBitmap* background);

    void onMouseDown(GuiDrawContext& context, GuiPoint where) override;

protected:
    ~GuiGroupButton() override;
};

} // namespace chorus
