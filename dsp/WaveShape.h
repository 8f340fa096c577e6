#pragma once

#include <array>
#include <string_view>

namespace chorus {

// The modulation waveforms, as the Shape parameter selects them.
enum WaveShape : int {
    shapeRamp = 0,      // rises over 95 % of the cycle, falls over the last 5 %
    shapeSine = 1,      // sin for the first tap, cos for the second
    shapeTrapezoid = 2, // +1 and -1 plateaus joined by 5 % edges
    shapeCount = 3
};

// The names users read and type for the shapes, in selector order: one set for the command line, the
// benchmark and the plug-in metadata.
inline constexpr std::array<std::string_view, shapeCount> shapeNames = {"ramp", "sine", "trapezoid"};

} // namespace chorus
