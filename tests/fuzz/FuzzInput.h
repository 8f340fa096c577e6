#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Reads typed values off the fuzzer's bytes. Once the bytes run out every read answers zero, so a
// harness never has to check what is left before it asks.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* bytes_, std::size_t size_) noexcept : data(bytes_), size(size_) {}

    bool empty() const noexcept { return position >= size; }
    std::size_t remaining() const noexcept { return size - position; }

    std::uint8_t byte() noexcept;
    std::uint16_t u16() noexcept;
    std::uint32_t u32() noexcept;
    std::int32_t i32() noexcept { return static_cast<std::int32_t>(u32()); }
    // An integer from lowest to highest, both included.
    std::int32_t intIn(std::int32_t lowest, std::int32_t highest) noexcept;
    bool flag() noexcept { return (byte() & 1) != 0; }
    // Any 32-bit pattern: NaNs, infinities, denormals and huge values included.
    float rawFloat() noexcept;
    // Mostly values a host could plausibly send, often the edge values, sometimes any pattern.
    float interestingFloat() noexcept;
    // An audio sample from -1 to 1.
    float sample() noexcept;
    // Up to `count` bytes (fewer when the input runs out).
    std::vector<std::uint8_t> bytes(std::size_t count);
    // Text of up to maxLength characters taken from the input, stopping early at a zero byte.
    std::string text(std::size_t maxLength);

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;
};
