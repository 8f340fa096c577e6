#include "FuzzInput.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace {

constexpr float edgeValues[] = {0.0f,
                                -0.0f,
                                1.0f,
                                -1.0f,
                                0.5f,
                                0.25f,
                                0.75f,
                                1.0f / 6.0f,
                                0.9999999f,
                                1.0000001f,
                                2.0f,
                                -0.5f,
                                100.0f,
                                44100.0f,
                                8200.0f,
                                8199.0f,
                                1.0e6f,
                                1.0e7f,
                                1.0e30f,
                                -1.0e30f,
                                std::numeric_limits<float>::max(),
                                std::numeric_limits<float>::lowest(),
                                std::numeric_limits<float>::min(),
                                std::numeric_limits<float>::denorm_min(),
                                std::numeric_limits<float>::infinity(),
                                -std::numeric_limits<float>::infinity(),
                                std::numeric_limits<float>::quiet_NaN()};

} // namespace

std::uint8_t FuzzInput::byte() noexcept {
    return position < size ? data[position++] : std::uint8_t{0};
}

std::uint16_t FuzzInput::u16() noexcept {
    const auto low = byte();
    return static_cast<std::uint16_t>(low | (byte() << 8));
}

std::uint32_t FuzzInput::u32() noexcept {
    const std::uint32_t low = u16();
    return low | (static_cast<std::uint32_t>(u16()) << 16);
}

std::int32_t FuzzInput::intIn(std::int32_t lowest, std::int32_t highest) noexcept {
    const auto span = static_cast<std::uint64_t>(static_cast<std::int64_t>(highest) - lowest) + 1;
    return static_cast<std::int32_t>(lowest + static_cast<std::int64_t>(u32() % span));
}

float FuzzInput::rawFloat() noexcept {
    return std::bit_cast<float>(u32());
}

float FuzzInput::interestingFloat() noexcept {
    const std::uint8_t kind = byte();
    if (kind < 96) {
        return static_cast<float>(u16()) / 65535.0f; // a normalised value
    }
    if (kind < 192) {
        return edgeValues[static_cast<std::size_t>(kind) % std::size(edgeValues)];
    }
    return rawFloat();
}

float FuzzInput::sample() noexcept {
    return static_cast<float>(static_cast<std::int16_t>(u16())) / 32768.0f;
}

std::vector<std::uint8_t> FuzzInput::bytes(std::size_t count) {
    const std::size_t taken = std::min(count, remaining());
    std::vector<std::uint8_t> out(data + position, data + position + taken);
    position += taken;
    return out;
}

std::string FuzzInput::text(std::size_t maxLength) {
    std::string out;
    while (out.size() < maxLength && !empty()) {
        const char c = static_cast<char>(byte());
        if (c == '\0') {
            break;
        }
        out.push_back(c);
    }
    return out;
}
