#pragma once

#include "dsp/LinearRamp.h"

#include <cstdint>
#include <vector>

namespace chorus {

// One chorus voice: a 5 ms delay line per channel whose read position a low-frequency waveform sweeps,
// mixed with the dry signal. Depth and wet level reach the audio through ramps of 0.01 per step.
class ChorusStage final {
public:
    enum Shape : int { shapeRamp = 0, shapeSine = 1, shapeTrapezoid = 2 };

    // Rates outside [minimumSampleRate, maximumSampleRate] (NaN included) run at the nearest limit,
    // so every tap stays inside the line; the engine refuses such rates before it gets here.
    static constexpr float minimumSampleRate = 8200.0f; // Hz: the line then holds 41 samples
    static constexpr float maximumSampleRate = 1.0e6f;  // Hz

    explicit ChorusStage(float sampleRate);
    ChorusStage(const ChorusStage&) = delete;
    ChorusStage& operator=(const ChorusStage&) = delete;

    void setRate(float hertz) noexcept;
    void setDelayMs(float ms) noexcept;
    void setDelaySamples(int samples) noexcept;
    void setWetPercent(float percent) noexcept;
    void setShape(int newShape) noexcept;

    float waveA(float phase) const noexcept;
    float waveB(float phase) const noexcept;

    void processMono(const float* input, float* output, int frames) noexcept;
    void processMonoToStereo(const float* input, float* const outputs[2], int frames) noexcept;
    void processStereo(const float* const inputs[2], float* const outputs[2], int frames) noexcept;

    int getLineLength() const noexcept { return lineLength; }
    int getSampleRate() const noexcept { return sampleRate; }
    int getWritePos() const noexcept { return writePos; }
    int getShape() const noexcept { return shape; }
    float getPhaseIncrement() const noexcept { return phaseIncrement; }
    std::uint64_t getFrameCounter() const noexcept { return frameCounter; }
    // Places the waveform `frames` frames after construction, as if the stage had run that long.
    void setFrameCounter(std::uint64_t frames) noexcept { frameCounter = frames; }
    // The waveform phase of the next frame, in radians from 0 to 2 pi.
    float currentPhase() const noexcept;
    const LinearRamp& depth() const noexcept { return depthRamp; }
    const LinearRamp& wet() const noexcept { return wetRamp; }

private:
    struct Tap {
        int a;    // index of the sample i frames old
        int b;    // index of the sample i + 1 frames old
        double f; // interpolation weight of b
    };

    Tap tapPosition(float depthSamples, float modulation) const noexcept;
    static float readTap(const float* line, const Tap& tap) noexcept;

    std::vector<float> lineL;
    std::vector<float> lineR;
    int lineLength;
    float phaseIncrement = 0.0f;
    LinearRamp depthRamp;
    LinearRamp wetRamp;
    float sweepScale;
    int shape = shapeRamp;
    int writePos = 0;
    int sampleRate;
    float inverseSampleRate = 0.0f;
    std::uint64_t frameCounter = 0;
};

} // namespace chorus
