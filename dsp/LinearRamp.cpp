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
    holdValue(out + j, count - j);
}

void LinearRamp::fillPairs(float* first, float* second, int frames) noexcept {
    int j = 0;
    for (; j < frames && stepsDone < totalSteps; ++j) {
        first[j] = next();
        second[j] = next();
    }
    holdValue(first + j, frames - j);
    holdValue(second + j, frames - j);
}

// The value from a local: a store through out could otherwise be the member, which defeats unrolling.
void LinearRamp::holdValue(float* out, int count) const noexcept {
    const float value = current;
    int j = 0;
    for (; j + 4 <= count; j += 4) {
        out[j] = value;
        out[j + 1] = value;
        out[j + 2] = value;
        out[j + 3] = value;
    }
    for (; j < count; ++j) {
        out[j] = value;
    }
}

void LinearRamp::setStepSize(float size) noexcept {
    stepSize = size > 0.0f ? size : std::numeric_limits<float>::epsilon();
}

} // namespace chorus
