#pragma once

#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiDrawContext.h"

namespace chorus {

// Copies rect's size from offset in bitmap to rect: keyed (key colour left out) or plain. No bitmap draws
// nothing.
inline void blitBitmap(GuiBitmap* bitmap, GuiDrawContext& context, const GuiRect& rect, GuiPoint offset,
                       bool keyed) {
    if (bitmap == nullptr) {
        return;
    }
    if (keyed) {
        bitmap->blitKeyed(context, rect, offset);
    } else {
        bitmap->blit(context, rect, offset);
    }
}

} // namespace chorus
