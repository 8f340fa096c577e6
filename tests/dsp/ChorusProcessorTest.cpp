#include "EngineFixtures.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace chorus;

namespace {

// Counts the value reads the engine makes, to prove an unchanged set is left alone.
class CountingSet final : public ParameterSet {
public:
    CountingSet() : ParameterSet(chorusParamCount) {
        ChorusParameterSet defaults;
        for (int i = 0; i < chorusParamCount; ++i) {
            defineParameterRecord(*defaults.getRecord(i));
        }
    }
    float takeRealValue(int index) override {
        ++takes;
        return ParameterSet::takeRealValue(index);
    }
    int takes = 0;
};

} // namespace

TEST(ChorusProcessor, MixAbove35ReachesOnlyTheFirstStage) {
    ChorusParameterSet set;
    auto engine = makeEngine(set, 2, 2);
    set.setRealValue(paramMix, 100.0f);
    engine->applyParameters(set);
    EXPECT_EQ(engine->stage(0).wet().targetValue(), 1.0f);
    for (int s = 1; s < 4; ++s) {
        EXPECT_FLOAT_EQ(engine->stage(s).wet().targetValue(), 0.35f);
    }
    set.setRealValue(paramMix, 20.0f);
    engine->applyParameters(set);
    for (int s = 0; s < 4; ++s) {
        EXPECT_FLOAT_EQ(engine->stage(s).wet().targetValue(), 0.2f);
    }
}

TEST(ChorusProcessor, EveryStageTakesRateDelayAndShape) {
    ChorusParameterSet set;
    auto engine = makeEngine(set, 2, 2);
    set.setNormalizedValue(paramDelay, 1.0f);
    set.setNormalizedValue(paramShape, 1.0f);
    set.setNormalizedValue(paramStages, 0.5f);
    engine->applyParameters(set);
    EXPECT_EQ(engine->getActiveStages(), 3);
    for (int s = 0; s < 4; ++s) {
        EXPECT_EQ(engine->stage(s).depth().targetValue(), 220.0f);
        EXPECT_EQ(engine->stage(s).getShape(), 2);
    }
    EXPECT_EQ(set.getChangedCount(), 0);
}

TEST(ChorusProcessor, UnchangedSetIsOnlyAskedForItsCount) {
    CountingSet set;
    ChorusProcessor engine(2, 44100.0, 2, 64);
    engine.applyParameters(set);
    EXPECT_EQ(set.takes, 5);
    set.takes = 0;
    engine.applyParameters(set);
    EXPECT_EQ(set.takes, 0);
    set.setRealValue(paramFreq, 1.0f);
    engine.applyParameters(set);
    EXPECT_EQ(set.takes, 1);
}

TEST(ChorusProcessor, StagesBeyondTheCountKeepTheirState) {
    ChorusParameterSet set;
    set.setRealValue(paramStages, 3.0f);
    auto engine = makeEngine(set, 2, 2);
    Buffers in(2, 1000), out(2, 1000);
    in.fillNoise(1);
    engine->render(in.get(), out.get(), 1000, false);
    EXPECT_EQ(engine->stage(2).getFrameCounter(), 1000u);
    EXPECT_EQ(engine->stage(3).getFrameCounter(), 0u);
    EXPECT_EQ(engine->stage(3).getWritePos(), 0);

    set.setRealValue(paramStages, 1.0f);
    engine->applyParameters(set);
    engine->render(in.get(), out.get(), 1000, false);
    EXPECT_EQ(engine->stage(0).getFrameCounter(), 2000u);
    EXPECT_EQ(engine->stage(1).getFrameCounter(), 1000u);
    const int frozenWritePos = engine->stage(1).getWritePos();

    set.setRealValue(paramStages, 4.0f);
    engine->applyParameters(set);
    engine->render(in.get(), out.get(), 10, false);
    EXPECT_EQ(engine->stage(1).getFrameCounter(), 1010u);
    EXPECT_EQ(engine->stage(1).getWritePos(), (frozenWritePos + 10) % 220);
    EXPECT_EQ(engine->stage(3).getFrameCounter(), 10u);
}

TEST(ChorusProcessor, ZeroFramesChangeNothing) {
    ChorusParameterSet set;
    auto engine = makeEngine(set, 2, 2);
    Buffers in(2, 8, 0.5f), out(2, 8, 0.25f);
    engine->render(in.get(), out.get(), 0, false);
    engine->render(in.get(), out.get(), 0, true);
    EXPECT_EQ(out.data[0][0], 0.25f);
    EXPECT_EQ(engine->stage(0).getFrameCounter(), 0u);
}

TEST(ChorusProcessor, AddingModeAddsExactlyWhatReplacingGives) {
    for (int blockSize : {512, 64}) { // 64: longer calls than the scratch buffers hold
        ChorusParameterSet setA, setB;
        auto replacing = makeEngine(setA, 2, 2, 44100.0, blockSize);
        auto adding = makeEngine(setB, 2, 2, 44100.0, blockSize);
        Buffers in(2, 1000), prior(2, 1000), out(2, 1000), sum(2, 1000);
        in.fillNoise(11);
        prior.fillNoise(12);
        sum.data = prior.data;
        for (int call = 0; call < 3; ++call) {
            replacing->render(in.get(), out.get(), 1000, false);
            adding->render(in.get(), sum.get(), 1000, true);
            for (int c = 0; c < 2; ++c) {
                for (std::size_t j = 0; j < 1000; ++j) {
                    ASSERT_EQ(sum.data[c][j], out.data[c][j] + prior.data[c][j]) << blockSize << " " << j;
                }
            }
            sum.data = prior.data;
        }
    }
}

TEST(ChorusProcessor, LongCallsAreCutIntoBlockSizedChunks) {
    constexpr int blockSize = 256;
    constexpr int frames = blockSize * 5 / 2;
    ChorusParameterSet setA, setB;
    auto whole = makeEngine(setA, 1, 2, 48000.0, blockSize);
    auto pieces = makeEngine(setB, 1, 2, 48000.0, blockSize);
    Buffers in(1, frames), outWhole(2, frames), outPieces(2, frames);
    in.fillNoise(5);
    whole->render(in.get(), outWhole.get(), frames, false);
    int offset = 0;
    for (int piece : {blockSize, blockSize, blockSize / 2}) {
        float* i[1] = {in.data[0].data() + offset};
        float* o[2] = {outPieces.data[0].data() + offset, outPieces.data[1].data() + offset};
        pieces->render(i, o, piece, false);
        offset += piece;
    }
    EXPECT_EQ(outWhole.data, outPieces.data);
}

// A host's block size of 0 or less must not reach the chunk loop (it would never advance): the engine cuts in
// chunks of one frame, with the same output.
TEST(ChorusProcessor, BlockSizeOfZeroOrLessCutsSingleFrames) {
    for (int blockSize : {0, -5}) {
        ChorusParameterSet setA, setB;
        auto odd = makeEngine(setA, 2, 2, 44100.0, blockSize);
        auto single = makeEngine(setB, 2, 2, 44100.0, 1);
        EXPECT_EQ(odd->getBlockSize(), 1);
        Buffers in(2, 37), outOdd(2, 37), outSingle(2, 37);
        in.fillNoise(11);
        odd->render(in.get(), outOdd.get(), 37, false);
        single->render(in.get(), outSingle.get(), 37, false);
        EXPECT_EQ(outOdd.data, outSingle.data) << blockSize;
    }
}

// Interleaved frames: sample c of a frame is channel c, in and out.
TEST(ChorusProcessor, FrameEntryRoutesInterleavedChannels) {
    ChorusParameterSet setA, setB;
    setA.setRealValue(paramMix, 100.0f);
    setB.setRealValue(paramMix, 100.0f);
    auto framewise = makeEngine(setA, 2, 2);
    auto blockwise = makeEngine(setB, 2, 2);
    Buffers in(2, 600), expected(2, 600);
    in.fillNoise(12);
    std::fill(in.data[1].begin(), in.data[1].end(), 0.0f); // right silent: a swap shows at once
    blockwise->render(in.get(), expected.get(), 600, false);
    for (std::size_t j = 0; j < 600; ++j) {
        float frameIn[2] = {in.data[0][j], in.data[1][j]};
        float frameOut[2] = {};
        framewise->processFrame(frameIn, frameOut);
        ASSERT_EQ(frameOut[0], expected.data[0][j]) << j;
        ASSERT_EQ(frameOut[1], expected.data[1][j]) << j;
    }
}

TEST(ChorusProcessor, RoutesEachChannelConfiguration) {
    ChorusParameterSet set;
    set.setRealValue(paramMix, 100.0f);
    // numOutputs 0 means as many as inputs: one in, one out.
    auto mono = makeEngine(set, 1, 0);
    EXPECT_EQ(mono->getNumOutputs(), 1);
    ChorusStage reference(44100.0f);
    reference.setWetPercent(100.0f);
    reference.setRate(2.0f);
    reference.setDelayMs(2.0f);
    reference.setShape(1);
    Buffers in(1, 3000), out(1, 3000), expected(1, 3000);
    in.fillNoise(9);
    mono->render(in.get(), out.get(), 3000, false);
    reference.processMono(in.data[0].data(), expected.data[0].data(), 3000);
    EXPECT_EQ(out.data, expected.data);

    // One in, two out: the two outputs differ (two taps) but share the dry part.
    auto wide = makeEngine(set, 1, 2);
    Buffers stereoOut(2, 3000);
    wide->render(in.get(), stereoOut.get(), 3000, false);
    EXPECT_NE(stereoOut.data[0], stereoOut.data[1]);

    // Two in, two out: each channel has its own line.
    auto stereo = makeEngine(set, 2, 2);
    Buffers stereoIn(2, 3000), out2(2, 3000);
    stereoIn.data[0] = in.data[0];
    stereo->render(stereoIn.get(), out2.get(), 3000, false);
    for (float v : out2.data[1]) {
        ASSERT_LT(std::fabs(v), 1e-20f); // silent right input stays silent
    }
}

TEST(ChorusProcessor, OutOfRangeStagesAndShapeAreClamped) {
    ChorusParameterSet set;
    auto engine = makeEngine(set, 2, 2);
    set.setNormalizedValue(paramStages, 3.0f);
    set.setNormalizedValue(paramShape, 9.0f);
    engine->applyParameters(set);
    EXPECT_EQ(engine->getActiveStages(), 4);
    EXPECT_EQ(engine->stage(0).getShape(), 2);
    set.setNormalizedValue(paramStages, -5.0f);
    set.setNormalizedValue(paramShape, -5.0f);
    engine->applyParameters(set);
    EXPECT_EQ(engine->getActiveStages(), 1);
    EXPECT_EQ(engine->stage(3).getShape(), 0);
    Buffers in(2, 500), out(2, 500);
    in.fillNoise(2);
    engine->render(in.get(), out.get(), 500, false);
}

TEST(ChorusProcessor, NonFiniteValuesNeverReachAStage) {
    const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                         -std::numeric_limits<float>::infinity()};
    for (float value : bad) {
        ChorusParameterSet set;
        auto engine = makeEngine(set, 2, 2);
        const float rate = engine->stage(0).getPhaseIncrement();
        for (int p = 0; p < chorusParamCount; ++p) {
            set.setRealValue(p, value);
        }
        set.setNormalizedValue(paramStages, value);
        engine->applyParameters(set);
        EXPECT_EQ(set.getChangedCount(), 0);
        EXPECT_EQ(engine->getMix(), 50.0f);
        EXPECT_EQ(engine->getActiveStages(), 1);
        EXPECT_EQ(engine->stage(0).getPhaseIncrement(), rate);
        EXPECT_EQ(engine->stage(0).depth().targetValue(), 88.0f);
        EXPECT_EQ(engine->stage(0).getShape(), 1);
        Buffers in(2, 2000), out(2, 2000);
        in.fillNoise(4);
        engine->render(in.get(), out.get(), 2000, false);
        for (const auto& channel : out.data) {
            for (float v : channel) {
                ASSERT_TRUE(std::isfinite(v));
            }
        }
    }
}

TEST(ChorusProcessor, RefusesRatesItCannotRunAtButStaysSafeWithThem) {
    EXPECT_TRUE(ChorusProcessor::supportsSampleRate(44100.0));
    EXPECT_TRUE(ChorusProcessor::supportsSampleRate(8200.0));
    EXPECT_TRUE(ChorusProcessor::supportsSampleRate(192000.0));
    for (double rate : {8199.0, 0.0, -48000.0, std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity(), 1.0e12}) {
        EXPECT_FALSE(ChorusProcessor::supportsSampleRate(rate)) << rate;
        ChorusParameterSet set;
        set.setNormalizedValue(paramDelay, 1.0f);
        auto engine = makeEngine(set, 1, 2, rate, 128);
        Buffers in(1, 1000), out(2, 1000);
        in.fillNoise(8);
        engine->render(in.get(), out.get(), 1000, false);
        engine->render(in.get(), out.get(), 1000, true);
    }
}

TEST(ChorusProcessor, UnusualChannelCountsStayInsideTheirBuffers) {
    // {inputs, outputs, the first output no routing writes}
    const int configs[][3] = {{2, 1, 1}, {1, 3, 2}, {0, 2, 0}};
    for (const auto& config : configs) {
        ChorusParameterSet set;
        auto engine = makeEngine(set, config[0], config[1], 44100.0, 64);
        Buffers in(config[0] > 0 ? config[0] : 1, 300), out(config[1], 300, 7.0f);
        in.fillNoise(1);
        engine->render(in.get(), out.get(), 300, false);
        for (int c = 0; c < config[1]; ++c) {
            const bool silent = c >= config[2];
            for (float v : out.data[static_cast<std::size_t>(c)]) {
                ASSERT_TRUE(silent ? v == 0.0f : std::isfinite(v) && v != 7.0f)
                    << config[0] << "x" << config[1];
            }
        }
        engine->render(in.get(), out.get(), 300, true);
    }
}
