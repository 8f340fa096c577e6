#include "reference/ReferenceStage.h"

#include "dsp/Truncate.h"

#include <algorithm>
#include <cmath>

namespace chorus::reference {

namespace {

constexpr float pi = 3.1415927f;
constexpr float edge = 0.05f;
constexpr float sweepScale = 0.95f;
constexpr float denormalOffset = 1.0e-30f;

double frac(double x) {
    return x - std::floor(x);
}

// The ramp (shape 0) and trapezoid (shape 2) at cycle position c.
float shapeAt(int shape, double c) {
    if (shape == 0) {
        return c > 1.0f - edge ? static_cast<float>(2.0f * (1.0f / edge) * (1.0 - c) - 1.0)
                               : static_cast<float>(2.0f * (1.0f / (1.0f - edge)) * c - 1.0);
    }
    const float cs = static_cast<float>(c);
    if (cs <= edge) {
        return (1.0f / edge) * cs;
    }
    if (cs <= 0.5 - static_cast<double>(edge)) {
        return 1.0f;
    }
    if (cs <= 0.5 + static_cast<double>(edge)) {
        return static_cast<float>(static_cast<double>(1.0f / edge) * 0.5 -
                                  static_cast<double>((1.0f / edge) * cs));
    }
    if (cs <= 1.0f - edge) {
        return -1.0f;
    }
    return (1.0f / edge) * cs - (1.0f / edge);
}

float mixOut(float w, float wet, float dry) {
    return static_cast<float>((1.0 - 0.35 * w) * static_cast<double>(w * wet + dry));
}

} // namespace

void ReferenceStage::Ramp::setTarget(float target) {
    const float distance = target - current;
    stepsLeft = truncateToInt(std::fabs(distance / 0.01f));
    increment = distance > 0.0f ? 0.01f : -0.01f;
}

float ReferenceStage::Ramp::next() {
    if (stepsLeft > 0) {
        current += increment;
        --stepsLeft;
    }
    return current;
}

// Rates outside 8200 Hz to 1 MHz run at the nearest of the two.
ReferenceStage::ReferenceStage(float sampleRate)
    : rate(!(sampleRate >= 8200.0f) ? 8200 : truncateToInt(std::min(sampleRate, 1.0e6f))),
      length(truncateToInt(static_cast<float>(rate) * 5.0f * 0.001f)),
      lineL(static_cast<std::size_t>(length), 0.0f), lineR(static_cast<std::size_t>(length), 0.0f) {
    setRate(0.5f);
    wetRamp.setTarget(1.0f);
    depthRamp.setTarget(12.0f);
}

void ReferenceStage::setRate(float hertz) {
    if (!(hertz > 0.0f)) {
        hertz = 0.001f;
    }
    const float next = 2.0f * pi * static_cast<float>(1.0 / rate) * hertz;
    if (!(next > 0.0f) || !std::isfinite(next)) {
        return;
    }
    frameCounter = truncateTo<std::uint64_t>(static_cast<double>(frameCounter) *
                                             static_cast<double>(increment) / static_cast<double>(next));
    increment = next;
}

void ReferenceStage::setDelayMs(float ms) {
    const int samples = truncateToInt(static_cast<float>(rate) * ms * 0.001);
    depthRamp.setTarget(static_cast<float>(std::clamp(samples, 1, length)));
}

void ReferenceStage::setWetPercent(float percent) {
    wetRamp.setTarget(static_cast<float>(percent * 0.01));
}

void ReferenceStage::setShape(int newShape) {
    shape = std::clamp(newShape, 0, 2);
}

float ReferenceStage::phase() const {
    return static_cast<float>(
        std::fmod(static_cast<double>(frameCounter) * static_cast<double>(increment), 6.283185307179586));
}

float ReferenceStage::waveA(float p) const {
    if (shape == 1) {
        return static_cast<float>(std::sin(static_cast<double>(p)));
    }
    return shapeAt(shape, frac(static_cast<double>(p * (1.0f / (2.0f * pi)))));
}

float ReferenceStage::waveB(float p) const {
    if (shape == 1) {
        return static_cast<float>(std::cos(static_cast<double>(p)));
    }
    return shapeAt(shape, frac(static_cast<double>((p + pi * 0.5f) * (1.0f / (2.0f * pi)))));
}

// k = trunc(D + 0.5), d = (m * 0.95 + 1) * 0.5 * k + 1, interpolated between the samples trunc(d) and
// trunc(d) + 1 frames old. A read past the oldest sample in the line reads that sample; a d below 1 or
// NaN (only a waveform value that is not finite gives one) reads as d = 1.
float ReferenceStage::tap(const std::vector<float>& line, float depth, float modulation) const {
    const int k = truncateToInt(depth + 0.5);
    double d = static_cast<double>(modulation * sweepScale + 1.0f) * 0.5 * k + 1.0;
    d = std::min(d >= 1.0 ? d : 1.0, static_cast<double>(length));
    const int i = std::min(truncateToInt(d), length - 1);
    const double f = d - i;
    const float newer = line[static_cast<std::size_t>((writePos - i + length) % length)];
    const float older = line[static_cast<std::size_t>((writePos - i - 1 + length) % length)];
    return static_cast<float>(newer + static_cast<double>(older - newer) * f);
}

void ReferenceStage::endFrame() {
    ++frameCounter;
    writePos = (writePos + 1) % length;
}

void ReferenceStage::processMono(const float* input, float* output, int frames) {
    for (int j = 0; j < frames; ++j) {
        const float x = input[j] + denormalOffset;
        const float depth = depthRamp.next();
        const float y = tap(lineL, depth, waveA(phase()));
        lineL[static_cast<std::size_t>(writePos)] = x;
        output[j] = mixOut(wetRamp.next(), y, x);
        endFrame();
    }
}

// The depth ramp steps twice a frame: the second tap is one step further along.
void ReferenceStage::processMonoToStereo(const float* input, float* const outputs[2], int frames) {
    for (int j = 0; j < frames; ++j) {
        const float x = input[j] + denormalOffset;
        const float p = phase();
        const float depthA = depthRamp.next();
        const float mA = waveA(p);
        const float depthB = depthRamp.next();
        const float yA = tap(lineL, depthA, mA);
        const float yB = tap(lineL, depthB, waveB(p));
        lineL[static_cast<std::size_t>(writePos)] = x;
        const float w = wetRamp.next();
        outputs[0][j] = mixOut(w, yA, x);
        outputs[1][j] = mixOut(w, yB, x);
        endFrame();
    }
}

void ReferenceStage::processStereo(const float* const inputs[2], float* const outputs[2], int frames) {
    for (int j = 0; j < frames; ++j) {
        const float xL = inputs[0][j] + denormalOffset;
        const float xR = inputs[1][j] + denormalOffset;
        const float p = phase();
        const float depthA = depthRamp.next();
        const float mA = waveA(p);
        const float depthB = depthRamp.next();
        const float yL = tap(lineL, depthA, mA);
        const float yR = tap(lineR, depthB, waveB(p));
        lineL[static_cast<std::size_t>(writePos)] = xL;
        lineR[static_cast<std::size_t>(writePos)] = xR;
        const float w = wetRamp.next();
        outputs[0][j] = mixOut(w, yL, xL);
        outputs[1][j] = mixOut(w, yR, xR);
        endFrame();
    }
}

} // namespace chorus::reference
