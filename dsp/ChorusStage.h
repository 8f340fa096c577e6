#pragma once

#include "dsp/LinearRamp.h"
#include "dsp/StageKernel.h"
#include "dsp/WaveShape.h"

#include <array>
#include <cstdint>
#include <vector>

namespace chorus {

// One chorus voice: a 5 ms delay line per channel whose read position a low-frequency waveform sweeps,
// mixed with the dry signal. Depth and wet level reach the audio through ramps of 0.01 per step.
// The arithmetic runs a block at a time in the StageKernel; the stage keeps the state between blocks:
// ramps, frame counter and the inputs the taps read.
class ChorusStage final {
public:
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
    // The kernel is the fastest the processor runs unless a test or benchmark picks another; all give
    // the same output.
    void useKernel(KernelIsa isa) noexcept { kernel = &StageKernel::forIsa(isa); }

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
    static constexpr int lanes = StageKernel::lanes;
    static constexpr int margin = StageKernel::readMargin;
    static constexpr int blockFrames = StageKernel::blockFrames;
    // Inputs kept between moves of the last lineLength of them back to the start of the history.
    static constexpr int historyFrames = 8 * blockFrames;

    // Inputs for two channels, or one (inR null); outputs for two taps, or one (outR null).
    void render(const float* inL, const float* inR, float* outL, float* outR, int frames) noexcept;
    void makeRoom(int frames) noexcept;
    void fillRamps(int frames, bool twoTaps) noexcept;

    const StageKernel* kernel;
    // Every input the stage took, the last lineLength of them before historyEnd: the taps read them in
    // place, a frame i frames old at historyEnd - i.
    std::vector<float> historyL;
    std::vector<float> historyR;
    int historyEnd;
    int lineLength;
    float phaseIncrement = 0.0f;
    LinearRamp depthRamp;
    LinearRamp wetRamp;
    int shape = shapeRamp;
    int writePos = 0;
    int sampleRate;
    float inverseSampleRate = 0.0f;
    std::uint64_t frameCounter = 0;

    // Per-block values handed to the kernel.
    using BlockArray = std::array<float, blockFrames + lanes>;
    alignas(32) BlockArray depthA{};
    alignas(32) BlockArray depthB{};
    alignas(32) BlockArray wetLevel{};
    alignas(32) BlockArray phase{};
    alignas(32) BlockArray modA{};
    alignas(32) BlockArray modB{};
    alignas(32) BlockArray outA{};
    alignas(32) BlockArray outB{};
    // Whether the ramp arrays hold a stopped ramp's value throughout, and which.
    bool depthHeld = false;
    bool wetHeld = false;
    float heldDepth = 0.0f;
    float heldWet = 0.0f;
};

} // namespace chorus
