#pragma once

#include "gui/core/GuiNativeHandles.h"

namespace chorus {

// A memory device context compatible with another DC (or with the screen for null), deleted at the end
// of its life. Whatever is selected into it must be deselected first (GuiSelection does that).
class GuiMemoryDC {
public:
    GuiMemoryDC() noexcept = default;
    explicit GuiMemoryDC(GuiDCHandle compatibleWith) noexcept;
    ~GuiMemoryDC();

    // Deletes the held DC (if any) and makes a new one; answers whether that worked.
    bool create(GuiDCHandle compatibleWith) noexcept;

    GuiMemoryDC(const GuiMemoryDC&) = delete;
    GuiMemoryDC& operator=(const GuiMemoryDC&) = delete;

    GuiDCHandle get() const noexcept { return dc; }
    explicit operator bool() const noexcept { return dc != nullptr; }

private:
    GuiDCHandle dc = nullptr;
};

} // namespace chorus
