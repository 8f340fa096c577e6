#include "dsp/ChorusStage.h"

#include "dsp/Truncate.h"

#include <algorithm>
#include <cmath>

namespace chorus {

namespace {

// Waveform constants, all single precision.
constexpr float pi = 3.1415927f;
constexpr float twoPi = 2.0f * pi;
constexpr float inverseTwoPi = 1.0f / twoPi;
constexpr float halfPi = pi * 0.5f;
constexpr float edge = 0.05f;              // fraction of a cycle spent on each trapezoid or ramp edge
constexpr float topFraction = 1.0f - edge; // 0.95
constexpr float edgeSlope = 1.0f / edge;   // 20 per cycle
constexpr float topSlope = 1.0f / topFraction;
constexpr float denormalOffset = 1.0e-30f; // keeps silent input off the denormal range

// The phase is reduced in double: a float phase that grows without bound quantises the sweep.
constexpr double twoPiDouble = 6.283185307179586;

constexpr float rampStepSize = 0.01f; // per sample, for depth (samples) and wet level (0..1)
constexpr float lineMilliseconds = 5.0f;
constexpr float secondsPerMillisecond = 0.001f;
constexpr float lowestRateHz = 0.001f; // a rate of 0 or less runs at this
constexpr float startRateHz = 0.5f;
constexpr float startSweepScale = 0.95f;
constexpr int startDelaySamples = 12;

int clampedSampleRate(float requested) {
    if (!(requested >= ChorusStage::minimumSampleRate)) {
        return truncateToInt(ChorusStage::minimumSampleRate);
    }
    return truncateToInt(std::min(requested, ChorusStage::maximumSampleRate));
}

double frac(double x) {
    return x - std::floor(x);
}

} // namespace

ChorusStage::ChorusStage(float sampleRate_)
    : lineLength(0), depthRamp(rampStepSize), wetRamp(rampStepSize), sweepScale(startSweepScale),
      sampleRate(clampedSampleRate(sampleRate_)) {
    inverseSampleRate = static_cast<float>(1.0 / sampleRate);
    lineLength = truncateToInt(static_cast<float>(sampleRate) * lineMilliseconds * secondsPerMillisecond);
    lineL.assign(static_cast<std::size_t>(lineLength), 0.0f);
    lineR.assign(static_cast<std::size_t>(lineLength), 0.0f);
    setRate(startRateHz);
    wetRamp.setTarget(1.0f);
    setDelaySamples(startDelaySamples);
}

// Keeps the waveform where it is: the counter is rescaled so that counter * increment stays put.
void ChorusStage::setRate(float hertz) noexcept {
    if (!(hertz > 0.0f)) {
        hertz = lowestRateHz;
    }
    const float newIncrement = 2.0f * pi * inverseSampleRate * hertz;
    if (!(newIncrement > 0.0f) || !std::isfinite(newIncrement)) {
        return;
    }
    frameCounter =
        truncateTo<std::uint64_t>(static_cast<double>(frameCounter) * static_cast<double>(phaseIncrement) /
                                  static_cast<double>(newIncrement));
    phaseIncrement = newIncrement;
}

void ChorusStage::setDelayMs(float ms) noexcept {
    setDelaySamples(truncateToInt(static_cast<float>(sampleRate) * ms * 0.001));
}

void ChorusStage::setDelaySamples(int samples) noexcept {
    depthRamp.setTarget(static_cast<float>(std::clamp(samples, 1, lineLength)));
}

void ChorusStage::setWetPercent(float percent) noexcept {
    wetRamp.setTarget(static_cast<float>(percent * 0.01));
}

void ChorusStage::setShape(int newShape) noexcept {
    shape = std::clamp(newShape, 0, 2);
}

float ChorusStage::currentPhase() const noexcept {
    return static_cast<float>(
        std::fmod(static_cast<double>(frameCounter) * static_cast<double>(phaseIncrement), twoPiDouble));
}

namespace {

// c is the position in the cycle, 0 to 1, in double precision.
float shapeAt(int shape, double c) noexcept {
    if (shape == ChorusStage::shapeRamp) {
        // Rises -1 to +1 over 95 % of the cycle, falls back over the last 5 %.
        if (c > topFraction) {
            return static_cast<float>(2.0f * edgeSlope * (1.0 - c) - 1.0);
        }
        return static_cast<float>(2.0f * topSlope * c - 1.0);
    }
    // Trapezoid: 0 up to +1, hold, down to -1, hold, back up to 0.
    const float cs = static_cast<float>(c);
    if (cs <= edge) {
        return edgeSlope * cs;
    }
    if (cs <= 0.5 - static_cast<double>(edge)) {
        return 1.0f;
    }
    if (cs <= 0.5 + static_cast<double>(edge)) {
        return static_cast<float>(static_cast<double>(edgeSlope) * 0.5 - static_cast<double>(edgeSlope * cs));
    }
    if (cs <= topFraction) {
        return -1.0f;
    }
    return edgeSlope * cs - edgeSlope;
}

} // namespace

// c = frac(p / 2 pi): the product in single precision, frac in double.
float ChorusStage::waveA(float phase) const noexcept {
    if (shape == shapeSine) {
        return static_cast<float>(std::sin(static_cast<double>(phase)));
    }
    return shapeAt(shape, frac(static_cast<double>(phase * inverseTwoPi)));
}

// waveA a quarter cycle later.
float ChorusStage::waveB(float phase) const noexcept {
    if (shape == shapeSine) {
        return static_cast<float>(std::cos(static_cast<double>(phase)));
    }
    return shapeAt(shape, frac(static_cast<double>((phase + halfPi) * inverseTwoPi)));
}

// Delay d = (m * sweepScale + 1) * 0.5 * k + 1 samples, k the depth rounded to whole samples:
// it sweeps between 1 + 0.025 k and 1 + 0.975 k. A depth ramp may end a little past the line length (960.6 on
// a 960-sample line), yet its taps stay inside; only a read past the oldest sample is bounded, to that
// sample, so the output is the plain arithmetic whenever the read is inside the line.
ChorusStage::Tap ChorusStage::tapPosition(float depthSamples, float modulation) const noexcept {
    const int k = truncateToInt(depthSamples + 0.5);
    const double d = std::min(static_cast<double>(modulation * sweepScale + 1.0f) * 0.5 * k + 1.0,
                              static_cast<double>(lineLength));
    const int i = std::min(truncateToInt(d), lineLength - 1);
    Tap tap{writePos - i, writePos - i - 1, d - i};
    if (tap.a < 0) {
        tap.a += lineLength;
    }
    if (tap.b < 0) {
        tap.b += lineLength;
    }
    return tap;
}

// Linear interpolation between the samples i and i + 1 frames old.
float ChorusStage::readTap(const float* line, const Tap& tap) noexcept {
    const float older = line[tap.b];
    const float newer = line[tap.a];
    return static_cast<float>(newer + static_cast<double>(older - newer) * tap.f);
}

namespace {

// Output gain 1 - 0.35 w: 0.65 at full wet level, 1 at none.
inline float mixOut(float w, float wetSample, float dry) noexcept {
    return static_cast<float>((1.0 - 0.35 * w) * static_cast<double>(w * wetSample + dry));
}

} // namespace

// A run never crosses the end of the line, so writePos wraps once per run instead of per sample.
void ChorusStage::processMono(const float* input, float* output, int frames) noexcept {
    float* const line = lineL.data();
    while (frames > 0) {
        const int run = std::min(frames, lineLength - writePos);
        for (int j = 0; j < run; ++j) {
            const float x = input[j] + denormalOffset;
            const float depthNow = depthRamp.next();
            const float m = waveA(currentPhase());
            const float y = readTap(line, tapPosition(depthNow, m));
            line[writePos] = x;
            const float w = wetRamp.next();
            output[j] = mixOut(w, y, x);
            ++frameCounter;
            ++writePos;
        }
        if (writePos >= lineLength) {
            writePos -= lineLength;
        }
        input += run;
        output += run;
        frames -= run;
    }
}

// The depth ramp steps twice per frame here: the second tap is one step further along than the first.
void ChorusStage::processMonoToStereo(const float* input, float* const outputs[2], int frames) noexcept {
    float* const line = lineL.data();
    float* outL = outputs[0];
    float* outR = outputs[1];
    while (frames > 0) {
        const int run = std::min(frames, lineLength - writePos);
        for (int j = 0; j < run; ++j) {
            const float x = input[j] + denormalOffset;
            const float phase = currentPhase();
            const float depthA = depthRamp.next();
            const Tap tapA = tapPosition(depthA, waveA(phase));
            const float depthB = depthRamp.next();
            const Tap tapB = tapPosition(depthB, waveB(phase));
            const float yA = readTap(line, tapA);
            const float yB = readTap(line, tapB);
            line[writePos] = x;
            const float w = wetRamp.next();
            outL[j] = mixOut(w, yA, x);
            outR[j] = mixOut(w, yB, x);
            ++frameCounter;
            ++writePos;
        }
        if (writePos >= lineLength) {
            writePos -= lineLength;
        }
        input += run;
        outL += run;
        outR += run;
        frames -= run;
    }
}

void ChorusStage::processStereo(const float* const inputs[2], float* const outputs[2], int frames) noexcept {
    float* const left = lineL.data();
    float* const right = lineR.data();
    const float* inL = inputs[0];
    const float* inR = inputs[1];
    float* outL = outputs[0];
    float* outR = outputs[1];
    while (frames > 0) {
        const int run = std::min(frames, lineLength - writePos);
        for (int j = 0; j < run; ++j) {
            const float xL = inL[j] + denormalOffset;
            const float xR = inR[j] + denormalOffset;
            const float phase = currentPhase();
            const float depthA = depthRamp.next();
            const Tap tapA = tapPosition(depthA, waveA(phase));
            const float depthB = depthRamp.next();
            const Tap tapB = tapPosition(depthB, waveB(phase));
            const float yL = readTap(left, tapA);
            const float yR = readTap(right, tapB);
            left[writePos] = xL;
            right[writePos] = xR;
            const float w = wetRamp.next();
            outL[j] = mixOut(w, yL, xL);
            outR[j] = mixOut(w, yR, xR);
            ++frameCounter;
            ++writePos;
        }
        if (writePos >= lineLength) {
            writePos -= lineLength;
        }
        inL += run;
        inR += run;
        outL += run;
        outR += run;
        frames -= run;
    }
}

} // namespace chorus
