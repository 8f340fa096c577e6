// The engine against the per-sample model of its arithmetic: every sample, bit for bit, over long randomised
// histories of parameters, routings, rates, block sizes, rebuilds and inputs.
#include "EngineFixtures.h"
#include "reference/ReferenceChorus.h"
#include "reference/ReferenceStage.h"

#include <cstring>
#include <gtest/gtest.h>
#include <limits>

using namespace chorus;
using chorus::reference::ReferenceChorus;

namespace {

// Every kernel this processor runs; each must give the model's bits.
std::vector<KernelIsa> kernels() {
    std::vector<KernelIsa> isas{KernelIsa::sse2};
    if (StageKernel::supported(KernelIsa::avx2)) {
        isas.push_back(KernelIsa::avx2);
    }
    return isas;
}

struct Pair {
    Pair(int inputs_, int outputs_, double rate_, int blockSize, KernelIsa isa_ = KernelIsa::sse2)
        : inputs(inputs_), outputs(outputs_), rate(rate_), isa(isa_),
          engine(makeEngine(engineSet, inputs, outputs, rate, blockSize)), model(inputs, outputs, rate) {
        engine->useKernel(isa);
        modelSet.markAllChanged();
        model.applyParameters(modelSet);
    }
    void set(int index, float normalized) {
        engineSet.setNormalizedValue(index, normalized);
        modelSet.setNormalizedValue(index, normalized);
    }
    // Rebuilds both with every value marked changed, as the effect does on a new rate or block size.
    void rebuild(int blockSize) {
        engine = makeEngine(engineSet, inputs, outputs, rate, blockSize);
        engine->useKernel(isa);
        model = ReferenceChorus(inputs, outputs, rate);
        modelSet.markAllChanged();
        model.applyParameters(modelSet);
    }
    // Renders one block through both; false with a message at the first sample that differs.
    ::testing::AssertionResult render(Buffers& in, int frames, bool add) {
        Buffers engineOut(outputs, frames, 0.25f), modelOut(outputs, frames, 0.25f);
        engine->applyParameters(engineSet);
        model.applyParameters(modelSet);
        engine->render(in.get(), engineOut.get(), frames, add);
        model.render(in.get(), modelOut.get(), frames, add);
        for (int c = 0; c < outputs; ++c) {
            for (int j = 0; j < frames; ++j) {
                const float a = engineOut.data[c][static_cast<std::size_t>(j)];
                const float b = modelOut.data[c][static_cast<std::size_t>(j)];
                if (std::memcmp(&a, &b, sizeof a) != 0) {
                    return ::testing::AssertionFailure()
                           << "channel " << c << " frame " << j << ": engine " << a << ", model " << b;
                }
            }
        }
        return ::testing::AssertionSuccess();
    }

    int inputs;
    int outputs;
    double rate;
    KernelIsa isa;
    ChorusParameterSet engineSet;
    ChorusParameterSet modelSet;
    std::unique_ptr<ChorusProcessor> engine;
    ReferenceChorus model;
};

void fillInput(Buffers& in, int kind, std::mt19937& rng) {
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    const float dc = noise(rng);
    for (auto& channel : in.data) {
        for (float& v : channel) {
            v = kind == 0 ? 0.0f : kind == 1 ? dc : noise(rng);
        }
    }
}

} // namespace

TEST(ReferenceEquivalence, RandomHistoriesMatchTheModelBitForBit) {
    const int routes[][2] = {{1, 1}, {1, 2}, {2, 2}};
    const double rates[] = {44100.0, 48000.0, 8200.0, 96000.0, 192000.0};
    const float specialValues[] = {0.0f, 1.0f, -0.5f, 1.5f, std::numeric_limits<float>::quiet_NaN()};
    std::mt19937 rng(20261208);
    for (KernelIsa isa : kernels()) {
        for (const auto& route : routes) {
            for (double rate : rates) {
                SCOPED_TRACE(::testing::Message() << route[0] << " in, " << route[1] << " out, " << rate
                                                  << " Hz, kernel " << static_cast<int>(isa));
                Pair pair(route[0], route[1], rate, 512, isa);
                for (int block = 0; block < 60; ++block) {
                    const int changes = static_cast<int>(rng() % 4);
                    for (int c = 0; c < changes; ++c) {
                        const int index = static_cast<int>(rng() % chorusParamCount);
                        const float value = rng() % 4 == 0
                                                ? specialValues[rng() % 5]
                                                : std::uniform_real_distribution<float>(0.0f, 1.0f)(rng);
                        pair.set(index, value);
                    }
                    if (rng() % 20 == 0) {
                        pair.rebuild(1 + static_cast<int>(rng() % 4096));
                    }
                    // Mostly short blocks, some long enough for a depth ramp to finish.
                    const int frames = rng() % 3 == 0 ? 1 + static_cast<int>(rng() % 4096)
                                                      : 1 + static_cast<int>(rng() % 67);
                    Buffers in(route[0], frames);
                    fillInput(in, static_cast<int>(rng() % 3), rng);
                    ASSERT_TRUE(pair.render(in, frames, rng() % 2 == 0)) << "block " << block;
                }
            }
        }
    }
}

// At 176.4 and 192 kHz a 5 ms depth ramp ends past the line length (960.6 on a 960-sample line); the taps it
// gives stay inside the line and must follow the plain arithmetic, not a depth cut back to the line.
TEST(ReferenceEquivalence, DepthRampEndingPastTheLineFollowsThePlainArithmetic) {
    const int shapes[] = {0, 1, 2};
    for (double rate : {176400.0, 192000.0}) {
        for (int shape : shapes) {
            SCOPED_TRACE(::testing::Message() << rate << " Hz, shape " << shape);
            Pair pair(2, 2, rate, 4096);
            pair.set(paramDelay, 1.0f); // 5 ms: the whole line
            pair.set(paramMix, 1.0f);
            pair.set(paramFreq, 0.5f);
            pair.set(paramShape, static_cast<float>(shape) * 0.5f);
            std::mt19937 rng(7);
            Buffers in(2, 4096);
            for (int block = 0; block < 30; ++block) {
                fillInput(in, 2, rng);
                ASSERT_TRUE(pair.render(in, 4096, false)) << "block " << block;
            }
            const ChorusStage& stage = pair.engine->stage(0);
            EXPECT_GT(stage.depth().value(), static_cast<float>(stage.getLineLength()) + 0.5f);
        }
    }
}

// After months of running the phase reduction leaves its exact range (quotient 2^26) for the library's, and
// past 2^53 frames the counter itself rounds: the stage must follow the model across both boundaries, in
// blocks that straddle them, for every shape and kernel.
TEST(ReferenceEquivalence, LongRunningCountersCrossTheExactReductionLimit) {
    constexpr float rate = 44100.0f;
    constexpr float hertz = 5.0f;
    const double increment = static_cast<double>(2.0f * 3.1415927f * static_cast<float>(1.0 / 44100) * hertz);
    const std::uint64_t reductionEdge = static_cast<std::uint64_t>(67108864.0 * 6.0 / increment);
    const std::uint64_t starts[] = {reductionEdge - 700, 8 * reductionEdge, (1ull << 53) - 700};
    std::mt19937 rng(11);
    for (KernelIsa isa : kernels()) {
        for (std::uint64_t start : starts) {
            for (int shape = 0; shape < 3; ++shape) {
                SCOPED_TRACE(::testing::Message() << "start " << start << ", shape " << shape << ", kernel "
                                                  << static_cast<int>(isa));
                ChorusStage stage(rate);
                reference::ReferenceStage model(rate);
                stage.useKernel(isa);
                stage.setRate(hertz);
                stage.setDelayMs(5.0f);
                stage.setShape(shape);
                stage.setWetPercent(100.0f);
                stage.setFrameCounter(start);
                model.setRate(hertz);
                model.setDelayMs(5.0f);
                model.setShape(shape);
                model.setWetPercent(100.0f);
                model.setFrameCounter(start);
                Buffers in(2, 1400), out(2, 1400), expected(2, 1400);
                in.fillNoise(static_cast<unsigned>(start % 1000));
                const float* inputs[2] = {in.data[0].data(), in.data[1].data()};
                for (int offset = 0; offset < 1400;) {
                    const int frames = std::min(1400 - offset, 1 + static_cast<int>(rng() % 300));
                    const float* blockIn[2] = {inputs[0] + offset, inputs[1] + offset};
                    float* blockOut[2] = {out.data[0].data() + offset, out.data[1].data() + offset};
                    float* blockExpected[2] = {expected.data[0].data() + offset,
                                               expected.data[1].data() + offset};
                    stage.processStereo(blockIn, blockOut, frames);
                    model.processStereo(blockIn, blockExpected, frames);
                    offset += frames;
                }
                ASSERT_EQ(out.data, expected.data);
            }
        }
    }
}
