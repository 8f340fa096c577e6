#include "gui/controls/GuiBitmapBank.h"

#include "gui/core/GuiBitmap.h"

namespace chorus {

GuiBitmapBank::~GuiBitmapBank() {
    releaseAll();
}

std::int32_t GuiBitmapBank::load(std::int32_t first, std::int32_t count, std::int32_t background) {
    releaseAll();
    firstId = first;
    backgroundId = background == -1 ? first : background;
    if (count < 0) {
        count = 0;
    }
    ids.reserve(static_cast<std::size_t>(count));
    bitmaps.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        ids.push_back(first + i);
        bitmaps.push_back(new GuiBitmap(first + i));
    }
    return 0;
}

GuiBitmap* GuiBitmapBank::bitmapFor(std::int32_t id) const {
    const std::int64_t index = static_cast<std::int64_t>(id) - firstId;
    if (index < 0 || index >= static_cast<std::int64_t>(bitmaps.size())) {
        return nullptr;
    }
    return bitmaps[static_cast<std::size_t>(index)];
}

GuiBitmap* GuiBitmapBank::background() const {
    return bitmapFor(backgroundId);
}

std::int32_t GuiBitmapBank::heightOf(std::int32_t id) const {
    const GuiBitmap* bitmap = bitmapFor(id);
    return bitmap != nullptr ? bitmap->getHeight() : 0;
}

std::int32_t GuiBitmapBank::widthOf(std::int32_t id) const {
    const GuiBitmap* bitmap = bitmapFor(id);
    return bitmap != nullptr ? bitmap->getWidth() : 0;
}

void GuiBitmapBank::releaseAll() {
    for (GuiBitmap* bitmap : bitmaps) {
        bitmap->release();
    }
    bitmaps.clear();
    ids.clear();
}

} // namespace chorus
