#pragma once

#include <cmath>
#include <concepts>
#include <limits>

namespace chorus {

// Float-to-integer conversion toward zero, as every conversion in the signal path is defined.
// Out-of-range values saturate and NaN gives 0, so no input makes the conversion undefined.
template <std::integral Int>
constexpr Int truncateTo(double value) noexcept {
    if (std::isnan(value)) {
        return 0;
    }
    constexpr double lowest = static_cast<double>(std::numeric_limits<Int>::lowest());
    constexpr double highest = static_cast<double>(std::numeric_limits<Int>::max());
    if (value <= lowest) {
        return std::numeric_limits<Int>::lowest();
    }
    if (value >= highest) {
        return std::numeric_limits<Int>::max();
    }
    return static_cast<Int>(value);
}

inline int truncateToInt(double value) noexcept {
    return truncateTo<int>(value);
}

} // namespace chorus
