#pragma once

#include <cstdint>

namespace chorus {

// An RGB colour with an alpha byte that is carried along but never used for drawing.
struct GuiColor {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t alpha = 0;

    // The GDI colour reference: red in the low byte.
    constexpr std::uint32_t toColorRef() const noexcept {
        return static_cast<std::uint32_t>(red) | (static_cast<std::uint32_t>(green) << 8) |
               (static_cast<std::uint32_t>(blue) << 16);
    }

    friend constexpr bool operator==(const GuiColor&, const GuiColor&) = default;
};

inline constexpr GuiColor colorBlack{0, 0, 0, 0};
inline constexpr GuiColor colorRed{255, 0, 0, 0};
inline constexpr GuiColor colorMagenta{255, 0, 255, 0};
inline constexpr GuiColor colorGrey{127, 127, 127, 0};
inline constexpr GuiColor colorCyan{0, 255, 255, 0};
inline constexpr GuiColor colorYellow{255, 255, 0, 0};
inline constexpr GuiColor colorWhite{255, 255, 255, 0};
inline constexpr GuiColor colorGreen{0, 255, 0, 0};
inline constexpr GuiColor colorBlue{0, 0, 255, 0};
// The transparent colour every bitmap starts with; same value as white, kept apart on purpose.
inline constexpr GuiColor colorKeyDefault{255, 255, 255, 0};

} // namespace chorus
