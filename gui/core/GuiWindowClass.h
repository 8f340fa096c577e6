#pragma once

#include <cstdint>

namespace chorus {

// The one window class all frames share, registered by the first frame and unregistered by the last.
// Its name is "Plugin" followed by the module instance handle in eight lower-case hex digits.
class GuiWindowClass {
public:
    static bool registerClass();
    static void unregisterClass();
    static std::int32_t useCount() noexcept;
    static const char* name() noexcept;
    // Whether the system swaps the mouse buttons, as read at the last registration.
    static bool buttonsSwapped() noexcept;
};

} // namespace chorus
