#pragma once

#include <cstdint>

namespace chorus {

class GuiControl;

// Brackets one user gesture on a control: tells the control's frame that an edit of the control's tag
// starts, and at the end of the scope that it ends. Controls without a frame or without a tag
// (negative) send nothing.
class GuiEditGesture {
public:
    explicit GuiEditGesture(GuiControl& control);
    ~GuiEditGesture();

    GuiEditGesture(const GuiEditGesture&) = delete;
    GuiEditGesture& operator=(const GuiEditGesture&) = delete;

private:
    GuiControl& control;
    std::int32_t tag;
};

} // namespace chorus
