#include "dsp/ChorusProcessor.h"

#include "dsp/ChorusParameterSet.h"
#include "dsp/Truncate.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace chorus {

namespace {

int outputsFor(int numInputs, int numOutputs) {
    return numOutputs == 0 ? numInputs : numOutputs;
}

} // namespace

ChorusProcessor::ChorusProcessor(int numInputs_, double sampleRate_, int numOutputs_, int blockSize_)
    : BlockProcessor(numInputs_, outputsFor(numInputs_, numOutputs_), blockSize_),
      scratchFrames(std::min(blockSize, maxScratchFrames)),
      scratch(static_cast<std::size_t>(numOutputs),
              std::vector<float>(static_cast<std::size_t>(scratchFrames))),
      scratchPtrs(static_cast<std::size_t>(numOutputs)), stages{ChorusStage(static_cast<float>(sampleRate_)),
                                                                ChorusStage(static_cast<float>(sampleRate_)),
                                                                ChorusStage(static_cast<float>(sampleRate_)),
                                                                ChorusStage(static_cast<float>(sampleRate_))},
      route(chooseRoute(numInputs, numOutputs)) {
    for (std::size_t c = 0; c < scratch.size(); ++c) {
        scratchPtrs[c] = scratch[c].data();
    }
    for (int s = 1; s < maxStages; ++s) {
        stages[static_cast<std::size_t>(s)].setWetPercent(laterStageWetLimit);
    }
}

ChorusProcessor::~ChorusProcessor() = default;

bool ChorusProcessor::supportsSampleRate(double rate) {
    return std::isfinite(rate) && rate >= static_cast<double>(ChorusStage::minimumSampleRate) &&
           rate <= static_cast<double>(ChorusStage::maximumSampleRate);
}

// The routings read and write channels 0 and 1 only. Configurations beyond the three the effect uses
// get the nearest routing that stays inside the channels they have.
ChorusProcessor::Route ChorusProcessor::chooseRoute(int inputs, int outputs) {
    if (inputs < 1 || outputs < 1) {
        return Route::silent;
    }
    if (outputs == 1) {
        return Route::mono;
    }
    return inputs == 1 ? Route::monoToStereo : Route::stereo;
}

void ChorusProcessor::processChunk(float** inputs, float** outputs, int frames) {
    const int extraStages = activeStages - 1;
    switch (route) {
    case Route::mono:
        stages[0].processMono(inputs[0], outputs[0], frames);
        for (int s = 1; s <= extraStages; ++s) {
            stages[static_cast<std::size_t>(s)].processMono(outputs[0], outputs[0], frames);
        }
        break;
    case Route::monoToStereo:
        stages[0].processMonoToStereo(inputs[0], outputs, frames);
        for (int s = 1; s <= extraStages; ++s) {
            stages[static_cast<std::size_t>(s)].processStereo(outputs, outputs, frames);
        }
        break;
    case Route::stereo:
        stages[0].processStereo(inputs, outputs, frames);
        for (int s = 1; s <= extraStages; ++s) {
            stages[static_cast<std::size_t>(s)].processStereo(outputs, outputs, frames);
        }
        break;
    case Route::silent:
        break;
    }
    // Channels no routing writes carry silence rather than whatever the buffers held.
    const int written = route == Route::silent ? 0 : (route == Route::mono ? 1 : 2);
    for (int c = written; c < numOutputs; ++c) {
        std::fill_n(outputs[c], frames, 0.0f);
    }
}

// The adding mode renders through the scratch buffers in pieces that fit them, so any frame count is
// safe and the result equals one call.
void ChorusProcessor::render(float** inputs, float** outputs, int frames, bool addToOutput) {
    if (!addToOutput) {
        process(inputs, outputs, frames);
        return;
    }
    for (int offset = 0; offset < frames;) {
        const int piece = std::min(frames - offset, scratchFrames);
        for (int i = 0; i < numInputs; ++i) {
            inputPtrs[static_cast<std::size_t>(i)] = inputs[i] + offset;
        }
        process(inputPtrs.data(), scratchPtrs.data(), piece);
        for (int c = 0; c < numOutputs; ++c) {
            const float* wet = scratchPtrs[static_cast<std::size_t>(c)];
            float* out = outputs[c] + offset;
            for (int j = 0; j < piece; ++j) {
                out[j] = wet[j] + out[j];
            }
        }
        offset += piece;
    }
}

// Each changed value is taken once (which clears its mark). Non-finite values are dropped:
// the stages keep the last good one.
void ChorusProcessor::applyParameters(ParameterSet& set) {
    if (set.getChangedCount() <= 0) {
        return;
    }
    const auto takeFinite = [&set](int index, float& value) {
        if (!set.isChanged(index)) {
            return false;
        }
        value = set.takeRealValue(index);
        return std::isfinite(value);
    };
    float value = 0.0f;
    if (takeFinite(paramMix, value)) {
        mix = value;
        stages[0].setWetPercent(mix);
        for (int s = 1; s < maxStages; ++s) {
            stages[static_cast<std::size_t>(s)].setWetPercent(std::min(mix, laterStageWetLimit));
        }
    }
    if (takeFinite(paramFreq, value)) {
        for (ChorusStage& s : stages) {
            s.setRate(value);
        }
    }
    if (takeFinite(paramDelay, value)) {
        for (ChorusStage& s : stages) {
            s.setDelayMs(value);
        }
    }
    if (takeFinite(paramShape, value)) {
        const int shape = std::clamp(truncateToInt(value), 0, 2);
        for (ChorusStage& s : stages) {
            s.setShape(shape);
        }
    }
    if (takeFinite(paramStages, value)) {
        activeStages = std::clamp(truncateToInt(value), 1, maxStages);
    }
}

void ChorusProcessor::useKernel(KernelIsa isa) {
    for (ChorusStage& s : stages) {
        s.useKernel(isa);
    }
}

void ChorusProcessor::onParametersReset(ParameterSet&) {}

} // namespace chorus
