#include "dsp/LinearRamp.h"

#include "dsp/Truncate.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace chorus {

LinearRamp::LinearRamp(float stepSize_) noexcept : stepSize(stepSize_) {}

// totalSteps = trunc(|(target - current) / stepSize|), divided in single precision.
void LinearRamp::setTarget(float newTarget) noexcept {
    start = current;
    target = newTarget;
    const float distance = target - current;
    totalSteps = truncateToInt(std::fabs(distance / stepSize));
    increment = distance > 0.0f ? stepSize : -stepSize;
    stepsDone = 0;
}

void LinearRamp::reset(float value) noexcept {
    current = value;
    target = value;
    totalSteps = 0;
    stepsDone = 0;
}

// Jumps `frames` steps at once; only the steps still inside the ramp move the value.
float LinearRamp::advance(int frames) noexcept {
    if (stepsDone < totalSteps && frames > 0) {
        const int taken = std::min(frames, totalSteps - stepsDone);
        current += increment * static_cast<float>(taken);
        stepsDone = frames > std::numeric_limits<int>::max() - stepsDone ? std::numeric_limits<int>::max()
                                                                         : stepsDone + frames;
    }
    return current;
}

// Steps while the ramp moves; the rest of the block holds the value it stopped at.
void LinearRamp::fill(float* out, int count) noexcept {
    int j = 0;
    for (; j < count && stepsDone < totalSteps; ++j) {
        out[j] = next();
    }
    std::fill(out + j, out + count, current);
}

void LinearRamp::fillPairs(float* first, float* second, int frames) noexcept {
    int j = 0;
    for (; j < frames && stepsDone < totalSteps; ++j) {
        first[j] = next();
        second[j] = next();
    }
    std::fill(first + j, first + frames, current);
    std::fill(second + j, second + frames, current);
}

void LinearRamp::setStepSize(float size) noexcept {
    stepSize = size > 0.0f ? size : std::numeric_limits<float>::epsilon();
}

} // namespace chorus
