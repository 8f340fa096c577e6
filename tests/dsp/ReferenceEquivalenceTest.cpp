// The engine against the per-sample model of its arithmetic: every sample, bit for bit, over long randomised
// histories of parameters, routings, rates, block sizes, rebuilds and inputs.
#include "EngineFixtures.h"
#include "reference/ReferenceChorus.h"
#include "reference/ReferenceStage.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

using namespace chorus;
using chorus::reference::ReferenceChorus;

namespace {

// Every kernel this processor runs; each must give the model's bits.
std::vector<KernelIsa> kernels() {
    std::vector<KernelIsa> isas{KernelIsa::sse2};
    for (KernelIsa isa : {KernelIsa::avx2, KernelIsa::avx512}) {
        if (StageKernel::supported(isa)) {
            isas.push_back(isa);
        }
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

namespace {

// The stage and the model side by side, at `first` on the frame counter, for one routing.
struct StagePair {
    StagePair(KernelIsa isa, int shape, float hertz, std::uint64_t first) : stage(44100.0f), model(44100.0f) {
        stage.useKernel(isa);
        stage.setRate(hertz);
        stage.setDelayMs(4.0f);
        stage.setShape(shape);
        stage.setWetPercent(100.0f);
        stage.setFrameCounter(first);
        model.setRate(hertz);
        model.setDelayMs(4.0f);
        model.setShape(shape);
        model.setWetPercent(100.0f);
        model.setFrameCounter(first);
    }
    // One block of the route (inputs, outputs) through both; the outputs must be the same bits.
    ::testing::AssertionResult render(int inputs, int outputs, Buffers& in, int frames) {
        Buffers out(outputs, frames), expected(outputs, frames);
        const float* ins[2] = {in.data[0].data(), in.data[inputs - 1].data()};
        if (outputs == 1) {
            stage.processMono(ins[0], out.get()[0], frames);
            model.processMono(ins[0], expected.get()[0], frames);
        } else if (inputs == 1) {
            stage.processMonoToStereo(ins[0], out.get(), frames);
            model.processMonoToStereo(ins[0], expected.get(), frames);
        } else {
            stage.processStereo(ins, out.get(), frames);
            model.processStereo(ins, expected.get(), frames);
        }
        for (int c = 0; c < outputs; ++c) {
            for (int j = 0; j < frames; ++j) {
                const float a = out.data[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)];
                const float b = expected.data[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)];
                if (std::memcmp(&a, &b, sizeof a) != 0) {
                    return ::testing::AssertionFailure()
                           << "channel " << c << " frame " << j << ": stage " << a << ", model " << b;
                }
            }
        }
        return ::testing::AssertionSuccess();
    }
    ChorusStage stage;
    reference::ReferenceStage model;
};

constexpr std::uint64_t counterEnd = std::numeric_limits<std::uint64_t>::max(); // the last frame before 0

} // namespace

// The counter wraps to 0 frame by frame at 2^64: a block that starts on the last frame, crosses the end or
// ends exactly at it takes the model's phases, at a slow and at a fast rate, for every route and shape.
TEST(ReferenceEquivalence, BlocksAtTheCounterEndMatchTheModel) {
    const int routes[][2] = {{1, 1}, {1, 2}, {2, 2}};
    const int sizes[] = {1, 2, 3, 4, 5, 7, 8, 9, 63, 255, 256, 257, 1000, 4096};
    for (KernelIsa isa : kernels()) {
        for (const auto& route : routes) {
            for (int shape = 0; shape < 3; ++shape) {
                for (float hertz : {0.4f, 5000.0f}) {
                    for (int size : sizes) {
                        const std::uint64_t frames = static_cast<std::uint64_t>(size);
                        for (std::uint64_t first :
                             {counterEnd, counterEnd - frames / 2, counterEnd - frames + 1}) {
                            SCOPED_TRACE(::testing::Message()
                                         << route[0] << " in, " << route[1] << " out, shape " << shape << ", "
                                         << hertz << " Hz, " << size << " frames from " << first
                                         << ", kernel " << static_cast<int>(isa));
                            StagePair pair(isa, shape, hertz, first);
                            Buffers in(route[0], size);
                            in.fillNoise(static_cast<unsigned>(size));
                            ASSERT_TRUE(pair.render(route[0], route[1], in, size));
                            ASSERT_TRUE(pair.render(route[0], route[1], in, size)) << "the block after";
                        }
                    }
                }
            }
        }
    }
}

// Freq set to a huge value runs at least one frame there; the next rate rescales the counter, which
// saturates at the counter's end, and the following blocks cross it. Every stage count, route and a spread
// of block sizes, through the parameter set as the host's entries reach it.
TEST(ReferenceEquivalence, AHugeRateFollowedByANormalOneMatchesTheModel) {
    const int routes[][2] = {{1, 1}, {1, 2}, {2, 2}};
    const int sizes[] = {1, 2, 5, 17, 256, 257, 2027, 4096};
    const float huge[] = {3e36f, 1e30f, std::numeric_limits<float>::max()};
    for (KernelIsa isa : kernels()) {
        for (const auto& route : routes) {
            for (int stages = 1; stages <= 4; ++stages) {
                for (int size : sizes) {
                    for (float rate : huge) {
                        SCOPED_TRACE(::testing::Message() << route[0] << " in, " << route[1] << " out, "
                                                          << stages << " stages, " << size << " frames, Freq "
                                                          << rate << ", kernel " << static_cast<int>(isa));
                        Pair pair(route[0], route[1], 44100.0, 4096, isa);
                        pair.set(paramStages, static_cast<float>(stages - 1) / 3.0f);
                        pair.set(paramMix, 0.8f);
                        pair.set(paramFreq, rate);
                        Buffers in(route[0], size);
                        in.fillNoise(static_cast<unsigned>(size));
                        ASSERT_TRUE(pair.render(in, 64 < size ? 64 : size, false)) << "at the huge rate";
                        pair.set(paramFreq, 0.4f);
                        for (int block = 0; block < 3; ++block) {
                            ASSERT_TRUE(pair.render(in, size, block == 1)) << "block " << block;
                        }
                    }
                }
            }
        }
    }
}

// The exact phase reduction estimates the quotient floor(x / 2 pi) and corrects it by one; the correction
// matters only within a few ulps of a multiple of 2 pi. Here x = counter * increment is put on every double
// from 4 ulps below to 3 above the multiples (a power-of-two increment makes the product exact), for every
// multiple up to 4096, a spread across the exact path's range and its top.
TEST(ReferenceEquivalence, PhaseReductionIsExactNextToEveryMultipleOfTwoPi) {
    constexpr double twoPi = 6.283185307179586;
    constexpr double exactLimit = 67108864.0 * 6.0; // where the kernel leaves its exact path
    const auto lastMultiple = static_cast<std::uint64_t>(exactLimit / twoPi) - 1;
    std::vector<std::uint64_t> multiples;
    for (std::uint64_t q = 1; q <= 4096; ++q) {
        multiples.push_back(q);
    }
    std::mt19937_64 rng(2026);
    for (int j = 0; j < 60000; ++j) {
        multiples.push_back(4097 + rng() % (lastMultiple - 8192));
    }
    for (std::uint64_t q = lastMultiple - 4096; q <= lastMultiple; ++q) {
        multiples.push_back(q);
    }
    for (KernelIsa isa : kernels()) {
        const StageKernel& kernel = StageKernel::forIsa(isa);
        std::uint64_t wrong = 0;
        std::uint64_t firstWrong = 0;
        for (std::uint64_t q : multiples) {
            const double x = static_cast<double>(q) * twoPi;
            int exponent = 0;
            std::frexp(x, &exponent);
            const float increment = std::ldexp(1.0f, exponent - 53); // one ulp of x
            const auto centre = static_cast<std::uint64_t>(std::ldexp(x, 53 - exponent));
            alignas(16) float phase[8];
            kernel.phases(centre - 4, increment, phase, 8);
            for (int lane = 0; lane < 8; ++lane) {
                const double product = static_cast<double>(centre - 4 + static_cast<std::uint64_t>(lane)) *
                                       static_cast<double>(increment);
                const float expected = static_cast<float>(std::fmod(product, twoPi));
                if (std::memcmp(&phase[lane], &expected, sizeof expected) != 0 && wrong++ == 0) {
                    firstWrong = q;
                }
            }
        }
        EXPECT_EQ(wrong, 0u) << "kernel " << static_cast<int>(isa) << ", first at multiple " << firstWrong;
    }
}

// Whatever depth reaches the kernel (the ramps keep it finite, but nothing else does), every tap reads
// inside the line and the output stays finite: the history here is the line and the block between the
// margins, which hold NaN, so a tap that uses a margin sample gives a NaN and one that reads past them
// reads outside the allocation (the sanitiser's build reports it).
TEST(ReferenceEquivalence, TapsStayInsideTheLineForAnyDepth) {
    constexpr int lineLength = 220;
    constexpr int frames = 16;
    const float depths[] = {std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            1e30f,
                            -1e30f,
                            -5.0f,
                            3e9f};
    for (KernelIsa isa : kernels()) {
        const StageKernel& kernel = StageKernel::forIsa(isa);
        for (float depth : depths) {
            SCOPED_TRACE(::testing::Message() << "depth " << depth << ", kernel " << static_cast<int>(isa));
            // The line and the block, between the margins a kernel may read but must never use.
            constexpr int margin = StageKernel::readMargin;
            std::vector<float> history(margin + lineLength + frames + margin,
                                       std::numeric_limits<float>::quiet_NaN());
            std::fill_n(history.begin() + margin, lineLength + frames, 0.5f);
            alignas(32) float depthValues[frames], wet[frames], phase[frames], modA[frames], modB[frames];
            alignas(32) float outL[frames], outR[frames];
            std::fill_n(depthValues, frames, depth);
            std::fill_n(wet, frames, 1.0f);
            const StageBlock block{history.data() + margin + lineLength,
                                   history.data() + margin + lineLength,
                                   depthValues,
                                   depthValues,
                                   wet,
                                   phase,
                                   modA,
                                   modB,
                                   outL,
                                   outR,
                                   1000,
                                   0.01f,
                                   1,
                                   lineLength,
                                   frames};
            kernel.renderPair(block);
            kernel.renderMono(block);
            for (int j = 0; j < frames; ++j) {
                ASSERT_TRUE(std::isfinite(outL[j]) && std::isfinite(outR[j])) << "frame " << j;
            }
        }
    }
}
