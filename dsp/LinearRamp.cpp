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

void LinearRamp::setStepSize(float size) noexcept {
    stepSize = size > 0.0f ? size : std::numeric_limits<float>::epsilon();
}

} // namespace chorus
