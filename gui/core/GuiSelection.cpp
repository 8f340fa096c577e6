#include "gui/core/GuiSelection.h"

#include <windows.h>

namespace chorus {

GuiSelection::GuiSelection(GuiDCHandle intoDC, GuiObjectHandle object) noexcept : dc(intoDC) {
    if (dc != nullptr && object != nullptr) {
        previous = SelectObject(dc, object);
    }
}

GuiSelection::~GuiSelection() {
    if (dc != nullptr && previous != nullptr) {
        SelectObject(dc, previous);
    }
}

} // namespace chorus
