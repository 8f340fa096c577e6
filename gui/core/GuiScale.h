#pragma once

#include "gui/core/GuiNativeHandles.h"
#include "gui/core/GuiRect.h"

#include <cstdint>

namespace chorus {

// The zoom of an editor window: views keep their 100 % (logical) coordinates, and the drawing context and
// the frame's window turn them into device pixels and back. Device pixel d shows logical pixel
// floor(d * 100 / percent), so every logical pixel covers whole device pixels and neighbouring rectangles
// still meet without gaps.
class GuiScale {
public:
    static constexpr std::int32_t unit = 100;      // percent of the logical size
    static constexpr std::int32_t nominalDpi = 96; // pixels per inch drawn at 100 %
    static constexpr std::int32_t largestPercent = 200;

    constexpr GuiScale() noexcept = default;
    // The zooms offered are 100, 150 and 200 %; any other value is taken as 100.
    explicit constexpr GuiScale(std::int32_t percentage) noexcept
        : percent(isSupported(percentage) ? percentage : unit) {}

    static constexpr bool isSupported(std::int32_t percentage) noexcept {
        return percentage == 100 || percentage == 150 || percentage == largestPercent;
    }
    // The zoom for a display density: 100 % below 120 dpi (125 %), 150 % below 168 dpi (175 %), 200 % above.
    static constexpr GuiScale forDpi(std::int32_t dpi) noexcept {
        if (dpi * 4 < nominalDpi * 5) {
            return GuiScale(100);
        }
        return GuiScale(dpi * 4 < nominalDpi * 7 ? 150 : largestPercent);
    }
    // The zoom that a window's display density asks for (the screen's when window is null).
    static GuiScale forWindow(GuiWindowHandle window) noexcept;
    // Pixels per inch of a window's display: the per-window value where the system offers one (it follows
    // the monitor for a per-monitor-aware host), else the DC's.
    static std::int32_t dpiOf(GuiWindowHandle window) noexcept;

    constexpr std::int32_t getPercent() const noexcept { return percent; }
    constexpr bool isIdentity() const noexcept { return percent == unit; }

    constexpr std::int32_t toDevice(std::int32_t logical) const noexcept {
        return floorDivide(static_cast<std::int64_t>(logical) * percent, unit);
    }
    constexpr std::int32_t toLogical(std::int32_t device) const noexcept {
        return floorDivide(static_cast<std::int64_t>(device) * unit, percent);
    }
    // A length in device pixels rounded to the nearest, at least 1 when zoomed (line widths, font heights).
    constexpr std::int32_t lengthToDevice(std::int32_t logical) const noexcept {
        if (isIdentity()) {
            return logical;
        }
        const auto scaled =
            static_cast<std::int32_t>((static_cast<std::int64_t>(logical) * percent + unit / 2) / unit);
        return scaled < 1 ? 1 : scaled;
    }
    constexpr GuiPoint toDevice(GuiPoint p) const noexcept { return {toDevice(p.h), toDevice(p.v)}; }
    constexpr GuiPoint toLogical(GuiPoint p) const noexcept { return {toLogical(p.h), toLogical(p.v)}; }
    constexpr GuiRect toDevice(const GuiRect& r) const noexcept {
        return {toDevice(r.left), toDevice(r.top), toDevice(r.right), toDevice(r.bottom)};
    }
    // The logical rectangle whose device pixels cover a device rectangle (rounded outward).
    constexpr GuiRect coveringLogical(const GuiRect& r) const noexcept {
        return {toLogical(r.left), toLogical(r.top), ceilToLogical(r.right), ceilToLogical(r.bottom)};
    }

    friend constexpr bool operator==(GuiScale, GuiScale) = default;

private:
    static constexpr std::int32_t floorDivide(std::int64_t a, std::int64_t b) noexcept {
        const std::int64_t q = a / b;
        return static_cast<std::int32_t>(q * b > a ? q - 1 : q);
    }
    constexpr std::int32_t ceilToLogical(std::int32_t device) const noexcept {
        return -floorDivide(-static_cast<std::int64_t>(device) * unit, percent);
    }

    std::int32_t percent = unit;
};

} // namespace chorus
