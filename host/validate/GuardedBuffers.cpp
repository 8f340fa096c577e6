#include "host/validate/GuardedBuffers.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace chorus::host {

namespace {

// A signalling NaN with a recognisable payload: no processing writes it by accident.
constexpr std::uint32_t guardBits = 0x7F8DEAD5u;

float guardValue() {
    return std::bit_cast<float>(guardBits);
}

float* guardPointer(std::size_t i) {
    return reinterpret_cast<float*>(static_cast<std::uintptr_t>(0xDEAD0000u + i * 16u));
}

} // namespace

GuardedBuffers::GuardedBuffers(int channels, int frames)
    : channelCount(channels), frameCount(frames), storage(static_cast<std::size_t>(channels)),
      table(static_cast<std::size_t>(channels) + 2 * guardPointers) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = guardPointer(i);
    }
    for (std::size_t c = 0; c < storage.size(); ++c) {
        auto& buffer = storage[c];
        buffer.assign(static_cast<std::size_t>(frames) + 2 * guardFloats, guardValue());
        table[guardPointers + c] = buffer.data() + guardFloats;
    }
    expectedTable = table;
    fill(0.0f);
}

GuardedBuffers::GuardedBuffers(const GuardedBuffers& other)
    : channelCount(other.channelCount), frameCount(other.frameCount), storage(other.storage),
      table(other.table) {
    for (std::size_t c = 0; c < storage.size(); ++c) {
        table[guardPointers + c] = storage[c].data() + guardFloats;
    }
    expectedTable = table;
}

void GuardedBuffers::fill(float value) {
    for (int c = 0; c < channelCount; ++c) {
        std::fill_n(channel(c), frameCount, value);
    }
}

std::string GuardedBuffers::damage() const {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (table[i] != expectedTable[i]) {
            return "pointer array entry " +
                   std::to_string(static_cast<long>(i) - static_cast<long>(guardPointers)) + " overwritten";
        }
    }
    for (std::size_t c = 0; c < storage.size(); ++c) {
        const auto& buffer = storage[c];
        for (std::size_t i = 0; i < buffer.size(); ++i) {
            if (i == guardFloats && frameCount > 0) {
                i += static_cast<std::size_t>(frameCount) - 1;
                continue;
            }
            if (std::bit_cast<std::uint32_t>(buffer[i]) != guardBits) {
                const long offset = i < guardFloats ? static_cast<long>(i) - static_cast<long>(guardFloats)
                                                    : static_cast<long>(i - guardFloats);
                return "channel " + std::to_string(c) + " written at frame " + std::to_string(offset) +
                       " outside 0.." + std::to_string(frameCount - 1);
            }
        }
    }
    return {};
}

bool GuardedBuffers::sameAs(const GuardedBuffers& other, int frames) const {
    if (other.channelCount != channelCount) {
        return false;
    }
    for (int c = 0; c < channelCount; ++c) {
        if (std::memcmp(channel(c), other.channel(c), static_cast<std::size_t>(frames) * sizeof(float)) !=
            0) {
            return false;
        }
    }
    return true;
}

std::string GuardedBuffers::firstNonFinite(int frames) const {
    return first(frames, [](float v) { return !std::isfinite(v); });
}

std::string GuardedBuffers::firstSubnormal(int frames) const {
    return first(frames, [](float v) { return std::fpclassify(v) == FP_SUBNORMAL; });
}

template <typename Test>
std::string GuardedBuffers::first(int frames, Test test) const {
    for (int c = 0; c < channelCount; ++c) {
        for (int f = 0; f < frames; ++f) {
            if (test(channel(c)[f])) {
                return "channel " + std::to_string(c) + " frame " + std::to_string(f);
            }
        }
    }
    return {};
}

} // namespace chorus::host
