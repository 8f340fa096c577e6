#include "gui/core/GuiMemoryDC.h"

#include "gui/core/GuiGdiCounter.h"

#include <windows.h>

namespace chorus {

GuiMemoryDC::GuiMemoryDC(GuiDCHandle compatibleWith) noexcept {
    create(compatibleWith);
}

GuiMemoryDC::~GuiMemoryDC() {
    if (dc != nullptr) {
        DeleteDC(dc);
        GuiGdiCounter::closed();
    }
}

bool GuiMemoryDC::create(GuiDCHandle compatibleWith) noexcept {
    if (dc != nullptr) {
        DeleteDC(dc);
        GuiGdiCounter::closed();
    }
    dc = CreateCompatibleDC(compatibleWith);
    if (dc != nullptr) {
        GuiGdiCounter::opened();
    }
    return dc != nullptr;
}

} // namespace chorus
