#pragma once

#include "gui/core/GuiPoint.h"

#include <cstdint>

namespace chorus {

// A pixel rectangle. Containment includes all four edges (see contains).
struct GuiRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    constexpr std::int32_t width() const noexcept { return right - left; }
    constexpr std::int32_t height() const noexcept { return bottom - top; }
    constexpr bool contains(GuiPoint p) const noexcept {
        return left <= p.h && p.h <= right && top <= p.v && p.v <= bottom;
    }
    constexpr GuiRect offsetBy(GuiPoint d) const noexcept {
        return {left + d.h, top + d.v, right + d.h, bottom + d.v};
    }

    friend constexpr bool operator==(const GuiRect&, const GuiRect&) = default;
};

} // namespace chorus
