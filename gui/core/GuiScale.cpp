#include "gui/core/GuiScale.h"

#include "gui/core/GuiWindowDC.h"

#include <cstring>
#include <windows.h>

namespace chorus {

namespace {

using DpiForWindow = UINT(WINAPI*)(HWND);

// Looked up at run time: older systems (and some Wine versions) lack it.
DpiForWindow dpiForWindowEntry() noexcept {
    static const DpiForWindow entry = [] {
        HMODULE user = GetModuleHandleA("user32.dll");
        FARPROC found = user != nullptr ? GetProcAddress(user, "GetDpiForWindow") : nullptr;
        DpiForWindow typed = nullptr;
        static_assert(sizeof typed == sizeof found);
        std::memcpy(&typed, &found, sizeof typed);
        return typed;
    }();
    return entry;
}

} // namespace

std::int32_t GuiScale::dpiOf(GuiWindowHandle window) noexcept {
    if (window != nullptr) {
        if (const DpiForWindow entry = dpiForWindowEntry()) {
            if (const UINT dpi = entry(window); dpi > 0) {
                return static_cast<std::int32_t>(dpi);
            }
        }
    }
    GuiWindowDC dc(window);
    const int dpi = dc ? GetDeviceCaps(dc.get(), LOGPIXELSX) : 0;
    return dpi > 0 ? dpi : nominalDpi;
}

GuiScale GuiScale::forWindow(GuiWindowHandle window) noexcept {
    return forDpi(dpiOf(window));
}

} // namespace chorus
