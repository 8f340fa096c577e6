#include "gui/core/GuiWin32Platform.h"

#include <windows.h>

namespace chorus {

namespace {
bool isDown(int virtualKey) {
    // The top bit of the asynchronous state says "held now".
    return (static_cast<unsigned short>(GetAsyncKeyState(virtualKey)) & 0x8000u) != 0;
}
} // namespace

std::uint32_t GuiWin32Platform::readPhysicalInput() {
    std::uint32_t bits = 0;
    if (isDown(VK_LBUTTON)) {
        bits |= physicalLeft;
    }
    if (isDown(VK_MBUTTON)) {
        bits |= physicalMiddle;
    }
    if (isDown(VK_RBUTTON)) {
        bits |= physicalRight;
    }
    if (isDown(VK_SHIFT)) {
        bits |= physicalShift;
    }
    if (isDown(VK_CONTROL)) {
        bits |= physicalControl;
    }
    if (isDown(VK_MENU)) {
        bits |= physicalAlt;
    }
    return bits;
}

GuiPoint GuiWin32Platform::readScreenCursor() {
    POINT p{0, 0};
    GetCursorPos(&p);
    return {p.x, p.y};
}

std::uint32_t GuiWin32Platform::tickCount() {
    return GetTickCount();
}

void GuiWin32Platform::sleep(std::uint32_t milliseconds) {
    Sleep(milliseconds);
}

bool GuiWin32Platform::buttonsSwapped() {
    return GetSystemMetrics(SM_SWAPBUTTON) > 0;
}

} // namespace chorus
