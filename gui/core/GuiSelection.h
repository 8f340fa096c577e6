#pragma once

#include "gui/core/GuiNativeHandles.h"

namespace chorus {

// Selects a GDI object into a DC and puts the displaced object back at the end of its life.
class GuiSelection {
public:
    GuiSelection(GuiDCHandle dc, GuiObjectHandle object) noexcept;
    ~GuiSelection();

    GuiSelection(const GuiSelection&) = delete;
    GuiSelection& operator=(const GuiSelection&) = delete;

    GuiObjectHandle displaced() const noexcept { return previous; }

private:
    GuiDCHandle dc = nullptr;
    GuiObjectHandle previous = nullptr;
};

} // namespace chorus
