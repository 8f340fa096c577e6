#pragma once

namespace chorus {

// A value that moves toward its target by a fixed step per sample.
// It stops after the whole number of steps that fit, short of the target by less than one step.
class LinearRamp final {
public:
    explicit LinearRamp(float stepSize) noexcept;

    void setTarget(float newTarget) noexcept;
    void reset(float value) noexcept;
    float advance(int frames) noexcept;
    float next() noexcept {
        if (stepsDone < totalSteps) {
            current += increment;
            ++stepsDone;
        }
        return current;
    }
    // The next `count` values of next(), in order.
    void fill(float* out, int count) noexcept;
    // Two next() values per frame: the first of each pair into first, the second into second.
    void fillPairs(float* first, float* second, int frames) noexcept;
    void setStepSize(float size) noexcept;

    float value() const noexcept { return current; }
    float targetValue() const noexcept { return target; }
    float startValue() const noexcept { return start; }
    int stepsRemaining() const noexcept { return totalSteps - stepsDone; }
    float step() const noexcept { return stepSize; }

private:
    void holdValue(float* out, int count) const noexcept;

    int totalSteps = 0;
    int stepsDone = 0;
    float stepSize;
    float increment = 0.0f;
    float current = 0.0f;
    float start = 0.0f;
    float target = 0.0f;
};

} // namespace chorus
