// The chorus engine against the per-sample model of its arithmetic. The bytes choose a channel configuration,
// a sample rate and a block size, then a sequence of parameter writes (normalised and real; NaN, infinities,
// huge, tiny and negative values included), rebuilds at a new rate or block size, and renders in both modes.
// One engine per kernel the processor can run takes the sequence beside the model, each through its own
// parameter set written identically, and every output sample must carry the model's bits (a NaN matches
// any NaN).
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "dsp/ChorusParameterSet.h"
#include "dsp/ChorusProcessor.h"
#include "reference/ReferenceChorus.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

using chorus::ChorusParameterSet;
using chorus::ChorusProcessor;
using chorus::KernelIsa;
using chorus::reference::ReferenceChorus;

constexpr const char* isaNames[] = {"SSE2", "AVX2", "AVX-512"}; // by KernelIsa
constexpr int maxChannels = 4;
constexpr int maxBlockSize = 4096;
constexpr int maxRenderFrames = 2 * maxBlockSize;
constexpr int framesPerInput = 2 * maxBlockSize; // keeps one input fast; later renders get what is left
constexpr float addedOutputFill = 0.25f;         // what the adding mode finds in the outputs
constexpr double rates[] = {44100.0, 48000.0, 8200.0, 96000.0, 192000.0, 1.0e6,    11025.0,
                            22050.0, 8199.0,  1000.0, 1.0,     0.0,      -44100.0, 2.0e6};
// The effect's three routings, as inputs and outputs.
constexpr int routes[][2] = {{1, 1}, {1, 2}, {2, 2}};
constexpr float extremeInputs[] = {
    std::numeric_limits<float>::infinity(),   -std::numeric_limits<float>::infinity(),
    std::numeric_limits<float>::quiet_NaN(),  std::numeric_limits<float>::max(),
    std::numeric_limits<float>::denorm_min(), -1.0e20f};

// FUZZ_TRACE=1 in the environment lists each input's operations as they are decoded (to read a finding).
bool tracing() {
    static const bool on = std::getenv("FUZZ_TRACE") != nullptr;
    return on;
}

// Buffers of exactly the frames a render asks for, so that the sanitiser sees any access past them.
struct Channels {
    Channels(int count, int frames, float fill)
        : data(static_cast<size_t>(count), std::vector<float>(static_cast<size_t>(frames), fill)) {
        for (auto& channel : data) {
            pointers.push_back(channel.data());
        }
    }
    float** get() { return pointers.data(); }
    std::vector<std::vector<float>> data;
    std::vector<float*> pointers;
};

// One engine on one kernel, with the parameter set it takes its values from.
struct EngineUnderTest {
    explicit EngineUnderTest(KernelIsa isa_) : isa(isa_) {}
    KernelIsa isa;
    ChorusParameterSet parameters;
    std::unique_ptr<ChorusProcessor> engine;
};

// Every engine and the model, built and fed alike.
class Comparison {
public:
    Comparison(int inputs_, int outputs_, double rate_, int blockSize) : inputs(inputs_), outputs(outputs_) {
        engines.push_back(std::make_unique<EngineUnderTest>(KernelIsa::sse2));
        for (KernelIsa isa : {KernelIsa::avx2, KernelIsa::avx512}) {
            if (chorus::StageKernel::supported(isa)) {
                engines.push_back(std::make_unique<EngineUnderTest>(isa));
            }
        }
        rebuild(rate_, blockSize);
    }

    int channelsOut() const { return outputs == 0 ? inputs : outputs; }

    void writeNormalized(int index, float value) {
        if (tracing()) {
            std::fprintf(stderr, "set parameter %d to normalised %.9g\n", index, static_cast<double>(value));
        }
        modelParameters.setNormalizedValue(index, value);
        for (auto& e : engines) {
            e->parameters.setNormalizedValue(index, value);
        }
    }
    void writeReal(int index, float value) {
        if (tracing()) {
            std::fprintf(stderr, "set parameter %d to real %.9g\n", index, static_cast<double>(value));
        }
        modelParameters.setRealValue(index, value);
        for (auto& e : engines) {
            e->parameters.setRealValue(index, value);
        }
    }

    // As the effect does on a new rate or block size: new engines that take every value again.
    void rebuild(double rate, int blockSize) {
        if (tracing()) {
            std::fprintf(stderr, "build %d in, %d out at %.9g Hz, block size %d\n", inputs, outputs, rate,
                         blockSize);
        }
        for (auto& e : engines) {
            e->engine = std::make_unique<ChorusProcessor>(inputs, rate, outputs, blockSize);
            e->engine->useKernel(e->isa);
            e->parameters.markAllChanged();
            e->engine->applyParameters(e->parameters);
        }
        model = std::make_unique<ReferenceChorus>(inputs, outputs, rate);
        modelParameters.markAllChanged();
        model->applyParameters(modelParameters);
    }

    // Renders one call through the model and every engine; aborts at the first sample that differs.
    void render(Channels& in, int frames, bool adding, int call) {
        if (tracing()) {
            std::fprintf(stderr, "render call %d: %d frames%s\n", call, frames, adding ? ", adding" : "");
        }
        Channels expected(channelsOut(), frames, addedOutputFill);
        model->applyParameters(modelParameters);
        model->render(in.get(), expected.get(), frames, adding);
        for (auto& e : engines) {
            Channels out(channelsOut(), frames, addedOutputFill);
            e->engine->applyParameters(e->parameters);
            fuzzCheck(e->engine->getActiveStages() >= 1 &&
                          e->engine->getActiveStages() <= ChorusProcessor::maxStages,
                      "active stages out of range");
            e->engine->render(in.get(), out.get(), frames, adding);
            compare(*e, expected, out, frames, call);
        }
    }

private:
    static bool sameSample(float a, float b) {
        return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
    }

    void compare(const EngineUnderTest& e, const Channels& expected, const Channels& out, int frames,
                 int call) const {
        for (size_t c = 0; c < out.data.size(); ++c) {
            for (int j = 0; j < frames; ++j) {
                const float want = expected.data[c][static_cast<size_t>(j)];
                const float got = out.data[c][static_cast<size_t>(j)];
                if (!sameSample(got, want)) {
                    std::fprintf(stderr,
                                 "%s kernel, %d in, %d out, render call %d of %d frames: channel %zu frame "
                                 "%d is %.9g, the model gives %.9g\n",
                                 isaNames[static_cast<int>(e.isa)], inputs, outputs, call, frames, c, j,
                                 static_cast<double>(got), static_cast<double>(want));
                    fuzzFail("the engine differs from the model");
                }
            }
        }
    }

    int inputs;
    int outputs;
    std::vector<std::unique_ptr<EngineUnderTest>> engines;
    ChorusParameterSet modelParameters;
    std::unique_ptr<ReferenceChorus> model;
};

double decodeRate(FuzzInput& input) {
    const uint8_t kind = input.byte();
    return kind < 200 ? rates[kind % std::size(rates)] : static_cast<double>(input.rawFloat());
}

void writeParameter(Comparison& pair, FuzzInput& input) {
    const uint8_t kind = input.byte();
    const int index = kind < 240 ? input.intIn(-1, chorus::chorusParamCount) : input.i32();
    const float value = input.interestingFloat();
    if ((kind & 1) != 0) {
        pair.writeNormalized(index, value);
    } else {
        pair.writeReal(index, value);
    }
}

// Silence, a constant, a decaying alternation, noise, or noise with extreme values among it.
void fillInputs(Channels& in, int frames, FuzzInput& input) {
    const uint8_t kind = input.byte();
    const float level = input.sample();
    uint32_t state = input.u32() | 1u;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    for (auto& channel : in.data) {
        float alternating = level;
        for (int j = 0; j < frames; ++j) {
            float& s = channel[static_cast<size_t>(j)];
            switch (kind % 5) {
            case 0:
                s = 0.0f;
                break;
            case 1:
                s = level;
                break;
            case 2:
                s = alternating;
                alternating = -alternating * 0.999f;
                break;
            case 3:
                s = static_cast<float>(static_cast<int32_t>(next())) * 0x1p-31f;
                break;
            default: {
                const uint32_t r = next();
                s = r % 64 == 0 ? extremeInputs[(r >> 8) % std::size(extremeInputs)]
                                : static_cast<float>(static_cast<int32_t>(r)) * 0x1p-31f;
                break;
            }
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    // Mostly the effect's routings; sometimes any channel counts (0 outputs: as many as inputs).
    const uint8_t routeKind = input.byte();
    int numInputs = routes[routeKind % std::size(routes)][0];
    int numOutputs = routes[routeKind % std::size(routes)][1];
    if (routeKind >= 224) {
        numInputs = input.intIn(0, maxChannels);
        numOutputs = input.intIn(0, maxChannels);
    }
    double rate = decodeRate(input);
    int blockSize = input.intIn(1, maxBlockSize);
    Comparison pair(numInputs, numOutputs, rate, blockSize);

    int budget = framesPerInput;
    int call = 0;
    while (!input.empty()) {
        const uint8_t step = input.byte();
        if (step < 112) {
            writeParameter(pair, input);
        } else if (step < 120) {
            if ((step & 1) != 0) {
                rate = decodeRate(input);
            }
            blockSize = input.intIn(1, maxBlockSize);
            pair.rebuild(rate, blockSize);
        } else {
            const bool adding = (step & 1) != 0;
            // Up to one block, or a call the engine cuts into blocks.
            const int frames =
                std::min(budget, input.intIn(0, (step & 2) != 0 ? blockSize : maxRenderFrames));
            budget -= frames;
            Channels in(numInputs, frames, 0.0f);
            fillInputs(in, frames, input);
            pair.render(in, frames, adding, call++);
        }
    }
    return 0;
}
