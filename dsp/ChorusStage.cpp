#include "dsp/ChorusStage.h"

#include "dsp/Truncate.h"

#include <algorithm>
#include <cmath>

namespace chorus {

namespace {

constexpr float pi = 3.1415927f;

// The phase is reduced in double: a float phase that grows without bound quantises the sweep.
constexpr double twoPiDouble = 6.283185307179586;

constexpr float rampStepSize = 0.01f; // per sample, for depth (samples) and wet level (0..1)
constexpr float lineMilliseconds = 5.0f;
constexpr float secondsPerMillisecond = 0.001f;
constexpr float lowestRateHz = 0.001f; // a rate of 0 or less runs at this
constexpr float startRateHz = 0.5f;
constexpr int startDelaySamples = 12;

int clampedSampleRate(float requested) {
    if (!(requested >= ChorusStage::minimumSampleRate)) {
        return truncateToInt(ChorusStage::minimumSampleRate);
    }
    return truncateToInt(std::min(requested, ChorusStage::maximumSampleRate));
}

} // namespace

ChorusStage::ChorusStage(float sampleRate_)
    : kernel(&StageKernel::forIsa(StageKernel::fastestIsa())), historyEnd(0), lineLength(0),
      depthRamp(rampStepSize), wetRamp(rampStepSize), sampleRate(clampedSampleRate(sampleRate_)) {
    inverseSampleRate = static_cast<float>(1.0 / sampleRate);
    lineLength = truncateToInt(static_cast<float>(sampleRate) * lineMilliseconds * secondsPerMillisecond);
    // The line starts silent: lineLength zeros before the first input. The kernel's margins around it
    // are read but never used.
    const auto capacity = static_cast<std::size_t>(margin + lineLength + historyFrames + lanes + margin);
    historyL.assign(capacity, 0.0f);
    historyR.assign(capacity, 0.0f);
    historyEnd = margin + lineLength;
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

float ChorusStage::waveA(float phase_) const noexcept {
    std::array<float, lanes> phases;
    phases.fill(phase_);
    std::array<float, lanes> values;
    kernel->waveforms(shape, phases.data(), values.data(), nullptr, lanes);
    return values[0];
}

// waveA a quarter cycle later.
float ChorusStage::waveB(float phase_) const noexcept {
    std::array<float, lanes> phases;
    phases.fill(phase_);
    std::array<float, lanes> a;
    std::array<float, lanes> b;
    kernel->waveforms(shape, phases.data(), a.data(), b.data(), lanes);
    return b[0];
}

void ChorusStage::processMono(const float* input, float* output, int frames) noexcept {
    render(input, nullptr, output, nullptr, frames);
}

// The depth ramp steps twice per frame here: the second tap is one step further along than the first.
void ChorusStage::processMonoToStereo(const float* input, float* const outputs[2], int frames) noexcept {
    render(input, nullptr, outputs[0], outputs[1], frames);
}

void ChorusStage::processStereo(const float* const inputs[2], float* const outputs[2], int frames) noexcept {
    render(inputs[0], inputs[1], outputs[0], outputs[1], frames);
}

// Moves the last lineLength inputs back to the start once the history has no room for another block.
void ChorusStage::makeRoom(int frames) noexcept {
    const int padded = (frames + lanes - 1) / lanes * lanes;
    if (historyEnd + padded + margin <= static_cast<int>(historyL.size())) {
        return;
    }
    const auto keep = static_cast<std::ptrdiff_t>(lineLength);
    std::copy(historyL.begin() + historyEnd - keep, historyL.begin() + historyEnd, historyL.begin() + margin);
    std::copy(historyR.begin() + historyEnd - keep, historyR.begin() + historyEnd, historyR.begin() + margin);
    historyEnd = margin + lineLength;
}

// A ramp that has stopped leaves its arrays alone once they hold its value across the whole block.
void ChorusStage::fillRamps(int frames, bool twoTaps) noexcept {
    if (depthRamp.stepsRemaining() > 0) {
        depthHeld = false;
        if (twoTaps) {
            depthRamp.fillPairs(depthA.data(), depthB.data(), frames);
        } else {
            depthRamp.fill(depthA.data(), frames);
        }
    } else if (!depthHeld || heldDepth != depthRamp.value()) {
        heldDepth = depthRamp.value();
        depthA.fill(heldDepth);
        depthB.fill(heldDepth);
        depthHeld = true;
    }
    if (wetRamp.stepsRemaining() > 0) {
        wetHeld = false;
        wetRamp.fill(wetLevel.data(), frames);
    } else if (!wetHeld || heldWet != wetRamp.value()) {
        heldWet = wetRamp.value();
        wetLevel.fill(heldWet);
        wetHeld = true;
    }
}

// Each block first stores its inputs and ramp values, then the kernel computes it whole from those copies.
// Outputs are written only after, so they may be the input buffers.
void ChorusStage::render(const float* inL, const float* inR, float* outL, float* outR, int frames) noexcept {
    const bool twoTaps = outR != nullptr;
    while (frames > 0) {
        const int n = std::min(frames, blockFrames);
        makeRoom(n);
        float* const left = historyL.data() + historyEnd;
        float* const right = historyR.data() + historyEnd;
        kernel->storeInputs(inL, left, n);
        if (inR != nullptr) {
            kernel->storeInputs(inR, right, n);
        } else {
            // The right line is not written by one-input blocks: each of its slots keeps what it held a
            // line length ago. Forward, as the source may overlap what this block writes.
            for (int j = 0; j < n; ++j) {
                right[j] = right[j - lineLength];
            }
        }
        fillRamps(n, twoTaps);
        // A block of whole lane groups is written straight into the outputs; a shorter one goes through
        // the stage's own arrays, as the kernel writes whole groups.
        const bool direct = n % lanes == 0;
        const StageBlock block{left,
                               inR != nullptr ? right : left,
                               depthA.data(),
                               depthB.data(),
                               wetLevel.data(),
                               phase.data(),
                               modA.data(),
                               modB.data(),
                               direct ? outL : outA.data(),
                               direct ? outR : outB.data(),
                               frameCounter,
                               phaseIncrement,
                               shape,
                               lineLength,
                               n,
                               depthHeld,
                               wetHeld};
        if (twoTaps) {
            kernel->renderPair(block);
        } else {
            kernel->renderMono(block);
        }
        if (!direct) {
            std::copy_n(outA.data(), n, outL);
            if (twoTaps) {
                std::copy_n(outB.data(), n, outR);
            }
        }
        historyEnd += n;
        frameCounter += static_cast<std::uint64_t>(n);
        writePos = static_cast<int>((static_cast<long long>(writePos) + n) % lineLength);
        inL += n;
        if (inR != nullptr) {
            inR += n;
        }
        outL += n;
        if (outR != nullptr) {
            outR += n;
        }
        frames -= n;
    }
}

} // namespace chorus
