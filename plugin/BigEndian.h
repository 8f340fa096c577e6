#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace chorus {

// Chunk data is big-endian whatever the machine's order.
inline std::uint32_t loadBigEndian32(const std::uint8_t* bytes) noexcept {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

inline void storeBigEndian32(std::uint8_t* bytes, std::uint32_t word) noexcept {
    bytes[0] = static_cast<std::uint8_t>(word >> 24);
    bytes[1] = static_cast<std::uint8_t>(word >> 16);
    bytes[2] = static_cast<std::uint8_t>(word >> 8);
    bytes[3] = static_cast<std::uint8_t>(word);
}

inline float loadBigEndianFloat(const std::uint8_t* bytes) noexcept {
    return std::bit_cast<float>(loadBigEndian32(bytes));
}

inline void storeBigEndianFloat(std::uint8_t* bytes, float value) noexcept {
    storeBigEndian32(bytes, std::bit_cast<std::uint32_t>(value));
}

// Converts every 4-byte word between machine order and big-endian (the same operation both ways).
// Sizes that are not a positive multiple of 4 stay as they are.
inline void swapWordsBigEndian(std::uint8_t* bytes, int size) noexcept {
    if (size <= 0 || size % 4 != 0 || std::endian::native == std::endian::big) {
        return;
    }
    for (int offset = 0; offset < size; offset += 4) {
        std::uint32_t word;
        std::memcpy(&word, bytes + offset, 4);
        storeBigEndian32(bytes + offset, word);
    }
}

} // namespace chorus
