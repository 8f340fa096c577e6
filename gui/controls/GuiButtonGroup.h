#pragma once

#include "gui/core/GuiControl.h"
#include "gui/core/GuiControlListener.h"

#include <vector>

namespace chorus {

class GuiGroupButton;

// A set of group buttons of which one is lit. The group's value picks the lit member in equal steps over
// 0 to 1 (member i stands for i / (count - 1)); a click on a member sets the group's value and tells the
// group's listener once, and nobody when that member was already lit. The group owns its members, paints
// them and routes presses to them; they are not children of the frame.
class GuiButtonGroup : public GuiControl, public GuiControlListener {
public:
    // xPositions, yPositions and bitmaps hold count entries; a member is as wide as its bitmap and half
    // as high. A group of fewer than two members has a step of 1 (a lone member stands for 0).
    GuiButtonGroup(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag, std::int32_t count,
                   const std::int32_t* xPositions, const std::int32_t* yPositions, GuiBitmap* const* bitmaps);

    void paint(GuiDrawContext& context) override;
    void onMouseDown(GuiDrawContext& context, GuiPoint where) override;
    // Lights the first member i with (i + 0.5) x step above v; tells nobody.
    void setValue(float newValue) override;
    // Called by a member after its press.
    void controlChanged(GuiDrawContext& context, GuiControl* member) override;

    std::int32_t getCount() const noexcept { return static_cast<std::int32_t>(members.size()); }
    float getStep() const noexcept { return step; }
    // Null outside 0 to count - 1.
    GuiGroupButton* getMember(std::int32_t index) const noexcept;
    // The lit member's index, -1 when none is lit.
    std::int32_t litMember() const;

protected:
    ~GuiButtonGroup() override;

private:
    std::vector<GuiGroupButton*> members;
    float step = 1.0f;
};

} // namespace chorus
