#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace chorus::host {

// Channel buffers as a host hands them to a processing entry, each channel and the pointer array itself
// fenced by guard zones of a known pattern, so that a write outside the frames it was given shows.
class GuardedBuffers {
public:
    static constexpr std::size_t guardFloats = 64;
    static constexpr std::size_t guardPointers = 4;

    GuardedBuffers(int channels, int frames);
    // A copy has its own storage and a pointer array into it.
    GuardedBuffers(const GuardedBuffers& other);
    GuardedBuffers& operator=(const GuardedBuffers&) = delete;

    float** pointers() noexcept { return table.data() + guardPointers; }
    float* channel(int c) noexcept { return pointers()[c]; }
    const float* channel(int c) const noexcept { return table[guardPointers + static_cast<std::size_t>(c)]; }
    int channels() const noexcept { return channelCount; }
    int frames() const noexcept { return frameCount; }

    void fill(float value);
    // Empty when every guard and the pointer array are as they were; otherwise what was touched.
    std::string damage() const;
    // Bit-for-bit equality of the first frames of every channel.
    bool sameAs(const GuardedBuffers& other, int frames) const;
    // The first non-finite sample in the first frames, as "channel c frame f", or empty.
    std::string firstNonFinite(int frames) const;
    // The same for the first subnormal sample.
    std::string firstSubnormal(int frames) const;

private:
    template <typename Test>
    std::string first(int frames, Test test) const;

    int channelCount;
    int frameCount;
    std::vector<std::vector<float>> storage;
    std::vector<float*> table;
    std::vector<float*> expectedTable;
};

} // namespace chorus::host
