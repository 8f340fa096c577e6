#include "gui/core/GuiWindowDC.h"

#include "gui/core/GuiGdiCounter.h"

#include <windows.h>

namespace chorus {

GuiWindowDC::GuiWindowDC(GuiWindowHandle forWindow) noexcept : window(forWindow), dc(GetDC(forWindow)) {
    if (dc != nullptr) {
        GuiGdiCounter::opened();
    }
}

GuiWindowDC::~GuiWindowDC() {
    if (dc != nullptr) {
        ReleaseDC(window, dc);
        GuiGdiCounter::closed();
    }
}

} // namespace chorus
