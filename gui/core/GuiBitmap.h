#pragma once

#include "gui/core/GuiColor.h"
#include "gui/core/GuiGdiObject.h"
#include "gui/core/GuiRect.h"

#include <cstdint>

namespace chorus {

class GuiDrawContext;

// A bitmap resource of the module, shared by reference count: the creator holds the first reference, every
// view that keeps it retains it, and the last release frees it (the destructor is private for that reason).
// A missing resource gives an empty 0 x 0 bitmap that draws nothing.
class GuiBitmap {
public:
    explicit GuiBitmap(std::int32_t resourceId);
    // Takes ownership of a bitmap made elsewhere (null gives an empty bitmap).
    GuiBitmap(GuiBitmapHandle adopted, std::int32_t resourceId);

    GuiBitmap(const GuiBitmap&) = delete;
    GuiBitmap& operator=(const GuiBitmap&) = delete;

    void retain() noexcept;
    // At a count of 0 or less does nothing; the release that reaches 0 frees the bitmap.
    void release() noexcept;
    std::int32_t getRetainCount() const noexcept { return refCount; }
    // Points a holder's reference at `next`: retains it before releasing the old one, so that assigning
    // the bitmap a holder already has is safe. Either may be null.
    static void assign(GuiBitmap*& holder, GuiBitmap* next) noexcept;

    std::int32_t getWidth() const noexcept { return width; }
    std::int32_t getHeight() const noexcept { return height; }
    std::int32_t getResourceId() const noexcept { return resourceId; }
    bool isLoaded() const noexcept { return static_cast<bool>(bitmap); }
    GuiBitmapHandle getHandle() const noexcept { return bitmap.asBitmap(); }

    // Changing the key drops the cached mask, so the next keyed draw uses the new key.
    void setKeyColor(GuiColor color) noexcept;
    GuiColor getKeyColor() const noexcept { return keyColor; }
    bool hasKeyMask() const noexcept { return static_cast<bool>(keyMask); }

    // Opaque copy of rect's size from offset in the bitmap to rect's top-left (plus drawOffset).
    void blit(GuiDrawContext& context, const GuiRect& rect, GuiPoint offset);
    // The same, except that the destination stays wherever the bitmap has exactly the key colour.
    // The bitmap itself is never modified.
    void blitKeyed(GuiDrawContext& context, const GuiRect& rect, GuiPoint offset);

private:
    ~GuiBitmap();

    std::int32_t resourceId = 0;
    std::int32_t refCount = 1;
    std::int32_t width = 0;
    std::int32_t height = 0;
    GuiColor keyColor = colorKeyDefault;
    GuiGdiObject bitmap;
    GuiGdiObject keyMask;
};

// A monochrome bitmap of the bitmap's size: 1 where the pixel equals color, 0 elsewhere.
GuiGdiObject createKeyMask(GuiDCHandle dc, GuiBitmapHandle bitmap, GuiColor color);

} // namespace chorus
