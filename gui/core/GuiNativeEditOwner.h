#pragma once

#include "gui/core/GuiColor.h"
#include "gui/core/GuiGdiObject.h"

namespace chorus {

// Implemented by a view that opens a native edit window while it holds the frame's focus: the frame
// answers the edit window's colour request from it and keeps the background brush in its holder.
class GuiNativeEditOwner {
public:
    virtual ~GuiNativeEditOwner() = default;
    virtual GuiColor getEditTextColor() const = 0;
    virtual GuiColor getEditFillColor() const = 0;
    // Holder of the edit window's background brush; the frame replaces its contents on every request.
    virtual GuiGdiObject& editBackgroundBrush() = 0;
};

} // namespace chorus
