#include "gui/controls/GuiEditGesture.h"

#include "gui/core/GuiControl.h"
#include "gui/core/GuiFrame.h"

namespace chorus {

GuiEditGesture::GuiEditGesture(GuiControl& owner) : control(owner), tag(owner.getTag()) {
    if (GuiFrame* frame = control.getOwnerFrame(); frame != nullptr && tag >= 0) {
        frame->notifyEditStart(tag);
    }
}

GuiEditGesture::~GuiEditGesture() {
    // The tag of the start is used, so a tag changed during the gesture still closes what was opened.
    if (GuiFrame* frame = control.getOwnerFrame(); frame != nullptr && tag >= 0) {
        frame->notifyEditEnd(tag);
    }
}

} // namespace chorus
