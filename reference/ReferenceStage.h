#pragma once

#include <cstdint>
#include <vector>

namespace chorus::reference {

// One chorus voice written out sample by sample, every rounding in the order it is defined, with no regard
// for speed: the model the product's stage is checked against bit for bit. Not part of the module.
class ReferenceStage {
public:
    explicit ReferenceStage(float sampleRate);

    void setRate(float hertz);
    void setDelayMs(float ms);
    void setWetPercent(float percent);
    void setShape(int shape);

    void processMono(const float* input, float* output, int frames);
    void processMonoToStereo(const float* input, float* const outputs[2], int frames);
    void processStereo(const float* const inputs[2], float* const outputs[2], int frames);

    int lineLength() const { return length; }
    // Places the waveform `frames` frames after construction, as if the stage had run that long.
    void setFrameCounter(std::uint64_t frames) { frameCounter = frames; }

private:
    float phase() const;
    float waveA(float phase) const;
    float waveB(float phase) const;
    float tap(const std::vector<float>& line, float depth, float modulation) const;
    void endFrame();

    int rate;
    int length;
    std::vector<float> lineL;
    std::vector<float> lineR;
    // Moves toward its target by 0.01 a step, for trunc(|distance / 0.01|) steps, without snapping to it.
    struct Ramp {
        float current = 0.0f;
        float increment = 0.0f;
        int stepsLeft = 0;
        void setTarget(float target);
        float next();
    };

    float increment = 0.0f;
    Ramp depthRamp;
    Ramp wetRamp;
    int shape = 0;
    int writePos = 0;
    std::uint64_t frameCounter = 0;
};

} // namespace chorus::reference
