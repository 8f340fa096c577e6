#pragma once

#include <cstdint>

namespace chorus {

// A key as the toolkit's views receive it: the character, the host's virtual-key code (11 to 14 are the
// arrows) and the modifier bits. The editor bridge fills it from the host's key request.
struct GuiKeyRecord {
    std::int32_t character = 0;
    std::uint8_t virtualKey = 0;
    std::uint8_t modifiers = 0;
};

} // namespace chorus
