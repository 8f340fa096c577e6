#pragma once

#include <cstdint>
#include <vector>

namespace chorus {

class GuiBitmap;

// A run of bitmap resources with consecutive ids, loaded once and handed out by id (borrowed: a control
// that keeps one retains it). One id of the run is the editor's background.
class GuiBitmapBank {
public:
    GuiBitmapBank() = default;
    ~GuiBitmapBank();

    GuiBitmapBank(const GuiBitmapBank&) = delete;
    GuiBitmapBank& operator=(const GuiBitmapBank&) = delete;

    // Loads count bitmaps from firstId on (a resource that is missing gives an empty bitmap); a
    // backgroundId of -1 means firstId. A bank loaded before is released first. Answers 0.
    std::int32_t load(std::int32_t firstId, std::int32_t count, std::int32_t backgroundId);
    // None outside the run.
    GuiBitmap* bitmapFor(std::int32_t id) const;
    GuiBitmap* background() const;
    // 0 outside the run.
    std::int32_t heightOf(std::int32_t id) const;
    std::int32_t widthOf(std::int32_t id) const;
    // Drops the bank's reference to every bitmap.
    void releaseAll();

    std::int32_t getFirstId() const noexcept { return firstId; }
    std::int32_t getCount() const noexcept { return static_cast<std::int32_t>(bitmaps.size()); }
    std::int32_t getBackgroundId() const noexcept { return backgroundId; }

private:
    std::int32_t backgroundId = 0;
    std::int32_t firstId = 0;
    std::vector<std::int32_t> ids;
    std::vector<GuiBitmap*> bitmaps;
};

} // namespace chorus
