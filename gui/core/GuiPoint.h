#pragma once

#include <cstdint>

namespace chorus {

// A pixel position: h grows to the right, v grows downward.
struct GuiPoint {
    std::int32_t h = 0;
    std::int32_t v = 0;

    friend constexpr bool operator==(const GuiPoint&, const GuiPoint&) = default;
};

} // namespace chorus
