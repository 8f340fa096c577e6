#pragma once

#include "gui/core/GuiNativeHandles.h"

namespace chorus {

// Owns one GDI object (pen, brush, font, bitmap) and deletes it at the end of its life.
// The caller must have deselected it from every DC before it is deleted.
class GuiGdiObject {
public:
    GuiGdiObject() noexcept = default;
    explicit GuiGdiObject(GuiObjectHandle adopted) noexcept;
    ~GuiGdiObject();

    GuiGdiObject(GuiGdiObject&& other) noexcept;
    GuiGdiObject& operator=(GuiGdiObject&& other) noexcept;
    GuiGdiObject(const GuiGdiObject&) = delete;
    GuiGdiObject& operator=(const GuiGdiObject&) = delete;

    // Deletes the held object (if any) and takes the new one.
    void reset(GuiObjectHandle adopted = nullptr) noexcept;
    GuiObjectHandle get() const noexcept { return handle; }
    explicit operator bool() const noexcept { return handle != nullptr; }

    GuiBitmapHandle asBitmap() const noexcept { return static_cast<GuiBitmapHandle>(handle); }
    GuiBrushHandle asBrush() const noexcept { return static_cast<GuiBrushHandle>(handle); }
    GuiPenHandle asPen() const noexcept { return static_cast<GuiPenHandle>(handle); }
    GuiFontHandle asFont() const noexcept { return static_cast<GuiFontHandle>(handle); }

private:
    GuiObjectHandle handle = nullptr;
};

} // namespace chorus
