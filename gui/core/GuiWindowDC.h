#pragma once

#include "gui/core/GuiNativeHandles.h"

namespace chorus {

// The DC of a window (the screen for null), released at the end of its life.
class GuiWindowDC {
public:
    explicit GuiWindowDC(GuiWindowHandle window) noexcept;
    ~GuiWindowDC();

    GuiWindowDC(const GuiWindowDC&) = delete;
    GuiWindowDC& operator=(const GuiWindowDC&) = delete;

    GuiDCHandle get() const noexcept { return dc; }
    explicit operator bool() const noexcept { return dc != nullptr; }

private:
    GuiWindowHandle window = nullptr;
    GuiDCHandle dc = nullptr;
};

} // namespace chorus
