#include "reference/ReferenceChorus.h"

#include "dsp/ChorusParameterSet.h"
#include "dsp/Truncate.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace chorus::reference {

namespace {

constexpr float laterStageWetLimit = 35.0f; // percent

} // namespace

ReferenceChorus::ReferenceChorus(int inputs, int outputs, double sampleRate)
    : numInputs(inputs),
      numOutputs(outputs == 0 ? inputs : outputs), stages{ReferenceStage(static_cast<float>(sampleRate)),
                                                          ReferenceStage(static_cast<float>(sampleRate)),
                                                          ReferenceStage(static_cast<float>(sampleRate)),
                                                          ReferenceStage(static_cast<float>(sampleRate))} {
    for (std::size_t s = 1; s < stages.size(); ++s) {
        stages[s].setWetPercent(laterStageWetLimit);
    }
}

void ReferenceChorus::applyParameters(ParameterSet& set) {
    const auto take = [&set](int index, float& value) {
        if (!set.isChanged(index)) {
            return false;
        }
        value = set.takeRealValue(index);
        return std::isfinite(value);
    };
    float value = 0.0f;
    if (take(paramMix, value)) {
        stages[0].setWetPercent(value);
        for (std::size_t s = 1; s < stages.size(); ++s) {
            stages[s].setWetPercent(std::min(value, laterStageWetLimit));
        }
    }
    if (take(paramFreq, value)) {
        for (auto& stage : stages) {
            stage.setRate(value);
        }
    }
    if (take(paramDelay, value)) {
        for (auto& stage : stages) {
            stage.setDelayMs(value);
        }
    }
    if (take(paramShape, value)) {
        for (auto& stage : stages) {
            stage.setShape(std::clamp(truncateToInt(value), 0, 2));
        }
    }
    if (take(paramStages, value)) {
        activeStages = std::clamp(truncateToInt(value), 1, 4);
    }
}

// One output: the first channel through every active stage. Two outputs: one input feeds both taps of the
// first stage, two inputs run as a pair; later stages run on the pair. Outputs beyond those are silent.
void ReferenceChorus::render(const float* const* inputs, float* const* outputs, int frames,
                             bool addToOutput) {
    const auto n = static_cast<std::size_t>(std::max(frames, 0));
    std::vector<float> left(n, 0.0f);
    std::vector<float> right(n, 0.0f);
    float* const pair[2] = {left.data(), right.data()};
    int written = 0;
    if (numInputs >= 1 && numOutputs == 1) {
        stages[0].processMono(inputs[0], left.data(), frames);
        for (int s = 1; s < activeStages; ++s) {
            stages[static_cast<std::size_t>(s)].processMono(left.data(), left.data(), frames);
        }
        written = 1;
    } else if (numInputs >= 1 && numOutputs >= 2) {
        if (numInputs == 1) {
            stages[0].processMonoToStereo(inputs[0], pair, frames);
        } else {
            const float* const in[2] = {inputs[0], inputs[1]};
            stages[0].processStereo(in, pair, frames);
        }
        for (int s = 1; s < activeStages; ++s) {
            stages[static_cast<std::size_t>(s)].processStereo(pair, pair, frames);
        }
        written = 2;
    }
    for (int c = 0; c < numOutputs; ++c) {
        const float* wet = c < written ? pair[c] : nullptr;
        for (std::size_t j = 0; j < n; ++j) {
            const float value = wet != nullptr ? wet[j] : 0.0f;
            outputs[c][j] = addToOutput ? value + outputs[c][j] : value;
        }
    }
}

} // namespace chorus::reference
