#pragma once

#include <cstdint>
#include <vector>

namespace chorus {

// All programs in one contiguous block, row after row: each row holds its values (as many bytes as each
// value's storage size) followed by the name field. The block is what bank chunks carry; one row is a
// program chunk. Values are kept big-endian.
class ProgramStore {
public:
    ProgramStore(int rows, const std::vector<int>& valueSizes, int nameSize);

    int rowCount() const noexcept { return rows; }
    int valueCount() const noexcept { return static_cast<int>(valueOffsets.size()); }
    int rowBytes() const noexcept { return bytesPerRow; }
    int bankBytes() const noexcept { return bytesPerRow * rows; }
    int nameBytes() const noexcept { return nameSize; }
    int valueSize(int value) const noexcept;

    // Row r's data; row 0 is the start of the bank.
    std::uint8_t* row(int r) noexcept;
    std::uint8_t* bank() noexcept { return data.data(); }
    std::uint8_t* value(int r, int value) noexcept;
    char* name(int r) noexcept;

private:
    int rows;
    int nameSize;
    int bytesPerRow;
    std::vector<int> valueOffsets;
    std::vector<int> valueSizes;
    std::vector<std::uint8_t> data;
};

} // namespace chorus
