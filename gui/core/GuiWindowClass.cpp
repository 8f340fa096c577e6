#include "gui/core/GuiWindowClass.h"

#include "gui/core/GuiFrame.h"
#include "gui/core/GuiModule.h"
#include "gui/core/GuiPlatform.h"

#include <cstdio>
#include <windows.h>

namespace chorus {

namespace {

constexpr std::size_t classNameSize = 32;
std::int32_t classUseCount = 0;
char className[classNameSize] = {};
bool swappedButtons = false;

LRESULT CALLBACK toolkitWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The frame leaves the slot empty before its window goes, so late messages find nothing here.
    auto* frame = reinterpret_cast<GuiFrame*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (frame != nullptr) {
        try {
            std::intptr_t result = 0;
            if (frame->handleWindowMessage(message, wParam, lParam, result)) {
                return result;
            }
        } catch (...) {
            // Nothing may unwind into the system's dispatcher; the message falls back to default handling.
        }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

bool GuiWindowClass::registerClass() {
    if (classUseCount++ > 0) {
        return true;
    }
    const std::string formatted = nameFor(reinterpret_cast<std::uintptr_t>(GuiModule::instance()));
    std::snprintf(className, sizeof className, "%s", formatted.c_str());
    WNDCLASSA windowClass{};
    windowClass.style = CS_GLOBALCLASS;
    windowClass.lpfnWndProc = toolkitWindowProc;
    windowClass.hInstance = GuiModule::instance();
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = className;
    RegisterClassA(&windowClass);
    swappedButtons = GuiPlatform::current().buttonsSwapped();
    return true;
}

void GuiWindowClass::unregisterClass() {
    if (classUseCount <= 0) {
        return;
    }
    if (--classUseCount == 0) {
        UnregisterClassA(className, GuiModule::instance());
    }
}

std::int32_t GuiWindowClass::useCount() noexcept {
    return classUseCount;
}

const char* GuiWindowClass::name() noexcept {
    return className;
}

bool GuiWindowClass::buttonsSwapped() noexcept {
    return swappedButtons;
}

std::string GuiWindowClass::nameFor(std::uintptr_t moduleHandle) {
    char name[classNameSize];
    std::snprintf(name, sizeof name, "Plugin%08llx", static_cast<unsigned long long>(moduleHandle));
    return name;
}

} // namespace chorus
