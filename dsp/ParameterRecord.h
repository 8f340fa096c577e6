#pragma once

#include <atomic>
#include <cstdint>

namespace chorus {

// One parameter: its value in its own unit, range, step, texts and changed mark.
// Value and mark are atomics because the audio thread reads them while other threads write;
// copying a record copies a snapshot of both.
struct ParameterRecord {
    static constexpr int textSize = 64; // 63 characters and a terminator

    ParameterRecord() = default;
    ParameterRecord(const ParameterRecord& other) noexcept { *this = other; }
    ParameterRecord& operator=(const ParameterRecord& other) noexcept;

    std::int32_t index = -1;
    std::atomic<float> value{0.0f};
    float minimum = 0.0f;
    float maximum = 1.0f;
    float step = 0.1f; // 0 or less: continuous
    char name[textSize] = {};
    char unit[textSize] = {};
    std::int32_t tracked = 1;     // writes mark the parameter changed, takes clear the mark
    std::int32_t storageSize = 4; // over 4: the parameter owns a separate block of that many bytes
    float defaultValue = 0.0f;
    std::atomic<std::int32_t> changed{1};
    float scale = 1.0f;     // 1 / (maximum - minimum)
    float stepCount = 0.0f; // (maximum - minimum) / step for stepped parameters
};

} // namespace chorus
