#include "host/window/KeyTranslation.h"

#include <windows.h>

namespace chorus::host {

namespace {

// The host's key codes for the keys a plug-in's controls step with.
constexpr std::uint8_t keyLeft = 11;
constexpr std::uint8_t keyUp = 12;
constexpr std::uint8_t keyRight = 13;
constexpr std::uint8_t keyDown = 14;
// Modifier bits of a key record.
constexpr std::uint8_t modifierShift = 0x01;
constexpr std::uint8_t modifierAlt = 0x02;
constexpr std::uint8_t modifierControl = 0x04;

} // namespace

bool KeyTranslation::held(int virtualKey) {
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}

KeyRecord KeyTranslation::recordFor(std::uintptr_t virtualKey) {
    KeyRecord key{};
    switch (virtualKey) {
    case VK_LEFT:
        key.virtualKey = keyLeft;
        break;
    case VK_UP:
        key.virtualKey = keyUp;
        break;
    case VK_RIGHT:
        key.virtualKey = keyRight;
        break;
    case VK_DOWN:
        key.virtualKey = keyDown;
        break;
    default:
        key.character =
            static_cast<int32_t>(MapVirtualKeyA(static_cast<UINT>(virtualKey), MAPVK_VK_TO_CHAR) & 0xFFFF);
        break;
    }
    key.modifiers =
        static_cast<std::uint8_t>((held(VK_SHIFT) ? modifierShift : 0) | (held(VK_MENU) ? modifierAlt : 0) |
                                  (held(VK_CONTROL) ? modifierControl : 0));
    return key;
}

bool KeyTranslation::takesKeysFor(void* targetWindow, void* hostWindow) {
    HWND target = static_cast<HWND>(targetWindow);
    HWND host = static_cast<HWND>(hostWindow);
    if (target != host && !IsChild(host, target)) {
        return false;
    }
    char name[16] = "";
    GetClassNameA(target, name, sizeof name);
    return lstrcmpiA(name, "Edit") != 0;
}

} // namespace chorus::host
