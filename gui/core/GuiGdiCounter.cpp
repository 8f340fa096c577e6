#include "gui/core/GuiGdiCounter.h"

namespace chorus {

namespace {
int liveHandles = 0;
}

int GuiGdiCounter::live() noexcept {
    return liveHandles;
}

void GuiGdiCounter::opened() noexcept {
    ++liveHandles;
}

void GuiGdiCounter::closed() noexcept {
    --liveHandles;
}

} // namespace chorus
