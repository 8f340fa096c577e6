#include "plugin/ProgramStore.h"

#include <algorithm>

namespace chorus {

ProgramStore::ProgramStore(int rowCount_, const std::vector<int>& sizes, int nameSize_)
    : rows(std::max(rowCount_, 0)), nameSize(std::max(nameSize_, 0)), bytesPerRow(0) {
    for (int size : sizes) {
        valueOffsets.push_back(bytesPerRow);
        valueSizes.push_back(std::max(size, 0));
        bytesPerRow += std::max(size, 0);
    }
    bytesPerRow += nameSize;
    data.assign(static_cast<std::size_t>(bytesPerRow) * static_cast<std::size_t>(rows), 0);
}

int ProgramStore::valueSize(int v) const noexcept {
    return v >= 0 && v < valueCount() ? valueSizes[static_cast<std::size_t>(v)] : 0;
}

std::uint8_t* ProgramStore::row(int r) noexcept {
    if (r < 0 || r >= rows) {
        return nullptr;
    }
    return data.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(bytesPerRow);
}

std::uint8_t* ProgramStore::value(int r, int v) noexcept {
    std::uint8_t* start = row(r);
    if (start == nullptr || v < 0 || v >= valueCount()) {
        return nullptr;
    }
    return start + valueOffsets[static_cast<std::size_t>(v)];
}

char* ProgramStore::name(int r) noexcept {
    std::uint8_t* start = row(r);
    return start == nullptr ? nullptr : reinterpret_cast<char*>(start + bytesPerRow - nameSize);
}

} // namespace chorus
