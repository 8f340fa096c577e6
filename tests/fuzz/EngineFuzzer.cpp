// The chorus engine on its own: channel configuration, rate and block size from the bytes, then parameter
// writes (normalised and real, NaN, infinities and huge values included) and renders in both modes.
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "dsp/ChorusParameterSet.h"
#include "dsp/ChorusProcessor.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int maxChannels = 4;
constexpr int maxBlockSize = 4096;
constexpr int maxRenderFrames = 3 * maxBlockSize;
constexpr int framesPerInput = 4 * maxBlockSize; // keeps one input fast; later renders get what is left
constexpr double rates[] = {8200.0, 11025.0, 22050.0, 44100.0, 48000.0, 96000.0,  192000.0,
                            1.0e6,  8199.0,  1000.0,  1.0,     0.0,     -44100.0, 2.0e6};

struct Channels {
    Channels(int count, int frames)
        : data(static_cast<size_t>(count), std::vector<float>(static_cast<size_t>(frames))) {
        for (auto& channel : data) {
            pointers.push_back(channel.data());
        }
    }
    std::vector<std::vector<float>> data;
    std::vector<float*> pointers;
};

void writeParameter(chorus::ChorusParameterSet& set, FuzzInput& input) {
    const uint8_t kind = input.byte();
    const int index = kind < 240 ? input.intIn(-1, chorus::chorusParamCount) : input.i32();
    const float value = input.interestingFloat();
    if ((kind & 1) != 0) {
        set.setNormalizedValue(index, value);
    } else {
        set.setRealValue(index, value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    const int numInputs = input.intIn(0, maxChannels);
    const int requestedOutputs = input.intIn(0, maxChannels);
    const int numOutputs = requestedOutputs == 0 ? numInputs : requestedOutputs;
    const uint8_t rateKind = input.byte();
    const double rate =
        rateKind < 200 ? rates[rateKind % std::size(rates)] : static_cast<double>(input.rawFloat());
    const int blockSize = input.intIn(1, maxBlockSize);
    // The engine is only ever built at rates it supports; anything else must at least be safe.
    const bool supported = chorus::ChorusProcessor::supportsSampleRate(rate);

    chorus::ChorusParameterSet parameters;
    chorus::ChorusProcessor engine(numInputs, rate, requestedOutputs, blockSize);
    parameters.markAllChanged();
    engine.applyParameters(parameters);

    int budget = framesPerInput;
    while (!input.empty()) {
        const uint8_t step = input.byte();
        if (step < 128) {
            writeParameter(parameters, input);
            continue;
        }
        engine.applyParameters(parameters);
        fuzzCheck(engine.getActiveStages() >= 1 &&
                      engine.getActiveStages() <= chorus::ChorusProcessor::maxStages,
                  "active stages out of range");
        for (int s = 0; s < chorus::ChorusProcessor::maxStages; ++s) {
            const int shape = engine.stage(s).getShape();
            fuzzCheck(shape >= 0 && shape <= 2, "shape out of range");
        }
        const bool adding = (step & 1) != 0;
        const int frames = std::min(budget, input.intIn(0, (step & 2) != 0 ? blockSize : maxRenderFrames));
        budget -= frames;
        Channels in(numInputs, frames);
        Channels out(numOutputs, frames);
        for (auto& channel : in.data) {
            float sample = input.sample();
            for (float& s : channel) {
                s = sample;
                sample = -sample * 0.999f;
            }
        }
        for (auto& channel : out.data) {
            for (float& s : channel) {
                s = 0.25f;
            }
        }
        engine.render(in.pointers.data(), out.pointers.data(), frames, adding);
        if (supported) {
            for (const auto& channel : out.data) {
                for (float s : channel) {
                    fuzzCheck(std::isfinite(s), "an output sample is not finite");
                }
            }
        }
    }
    return 0;
}
