#pragma once

#include <cstdint>
#include <string>

namespace chorus {

// The one window class all frames share, registered by the first frame and unregistered by the last.
// Its name is "Plugin" followed by the module instance handle in lower-case hex digits, at least eight.
class GuiWindowClass {
public:
    static bool registerClass();
    static void unregisterClass();
    static std::int32_t useCount() noexcept;
    static const char* name() noexcept;
    // Whether the system swaps the mouse buttons, as read at the last registration.
    static bool buttonsSwapped() noexcept;
    // The class name for a module handle. All of a 64-bit handle counts: two modules loaded at addresses
    // that differ only above 4 GiB must not share one class.
    static std::string nameFor(std::uintptr_t moduleHandle);
};

} // namespace chorus
