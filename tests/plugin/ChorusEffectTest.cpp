// The chorus effect's engine life cycle and its two processing entries.
#include "plugin/ChorusEffect.h"

#include "FactoryBankTable.h"
#include "FakeEditor.h"
#include "TestHost.h"
#include "dsp/ChorusParameterSet.h"
#include "dsp/ChorusProcessor.h"
#include "dsp/ParameterSet.h"
#include "reference/ReferenceChorus.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <vector>

using chorus::ChorusEffect;

namespace {

constexpr float sentinel = 123.0f;

// Two channels of input (a decaying tone) and output, block-sized.
struct Buffers {
    explicit Buffers(int frames)
        : in(2, std::vector<float>(static_cast<size_t>(frames))),
          out(2, std::vector<float>(static_cast<size_t>(frames), sentinel)) {
        for (int c = 0; c < 2; ++c) {
            for (int j = 0; j < frames; ++j) {
                in[static_cast<size_t>(c)][static_cast<size_t>(j)] =
                    static_cast<float>(std::sin(0.05 * j + c) * std::exp(-0.0005 * j));
            }
        }
        inPtrs = {in[0].data(), in[1].data()};
        outPtrs = {out[0].data(), out[1].data()};
    }
    void fillOutputs(float value) {
        for (auto& channel : out) {
            std::fill(channel.begin(), channel.end(), value);
        }
    }
    std::vector<std::vector<float>> in;
    std::vector<std::vector<float>> out;
    std::vector<float*> inPtrs;
    std::vector<float*> outPtrs;
};

std::unique_ptr<ChorusEffect> makeEffect(bool resumed = false) {
    auto effect = std::make_unique<ChorusEffect>(TestHost::callback);
    effect->initialise();
    if (resumed) {
        effect->dispatch(opPower, 0, 1, nullptr, 0.0f);
    }
    return effect;
}

template <typename Test>
bool everyOutput(const Buffers& buffers, Test test) {
    for (const auto& channel : buffers.out) {
        if (!std::all_of(channel.begin(), channel.end(), test)) {
            return false;
        }
    }
    return true;
}

bool untouched(const Buffers& buffers) {
    return everyOutput(buffers, [](float sample) { return sample == sentinel; });
}

class ChorusEffectTest : public ::testing::Test {
protected:
    void SetUp() override { TestHost::reset(); }
};

} // namespace

TEST_F(ChorusEffectTest, WithoutAnEngineReplacingIsSilentAndAddingAddsNothing) {
    auto effect = makeEffect();
    Buffers buffers(1024);
    effect->processAdd(buffers.inPtrs.data(), buffers.outPtrs.data(), 1000);
    EXPECT_TRUE(untouched(buffers));
    effect->processReplace(buffers.inPtrs.data(), buffers.outPtrs.data(), 1024);
    EXPECT_TRUE(everyOutput(buffers, [](float sample) { return sample == 0.0f; }));
    EXPECT_FALSE(effect->isEngineBuilt());
}

TEST_F(ChorusEffectTest, ResumeBuildsTheEngineAndWritesTheLatency) {
    auto effect = makeEffect(true);
    ASSERT_TRUE(effect->isEngineBuilt());
    ASSERT_NE(effect->getEngine(), nullptr);
    EXPECT_EQ(effect->descriptor()->latency, 0);
    EXPECT_EQ(effect->getEngine()->getMix(), 50.0f);
    EXPECT_EQ(effect->getEngine()->getActiveStages(), 1);
    // A second resume with nothing changed keeps the engine.
    const chorus::ChorusProcessor* engine = effect->getEngine();
    effect->dispatch(opPower, 0, 0, nullptr, 0.0f);
    effect->dispatch(opPower, 0, 1, nullptr, 0.0f);
    effect->dispatch(opPower, 0, 1, nullptr, 0.0f);
    EXPECT_EQ(effect->getEngine(), engine);
    Buffers buffers(256);
    effect->processReplace(buffers.inPtrs.data(), buffers.outPtrs.data(), 256);
    EXPECT_FALSE(untouched(buffers));
}

TEST_F(ChorusEffectTest, AddingEqualsReplacingPlusWhatWasThere) {
    auto replacing = makeEffect();
    auto adding = makeEffect();
    for (auto* effect : {replacing.get(), adding.get()}) {
        effect->dispatch(opSelectProgram, 0, 4, nullptr, 0.0f);
        effect->dispatch(opPower, 0, 1, nullptr, 0.0f);
    }
    Buffers a(700);
    Buffers b(700);
    for (int block = 0; block < 4; ++block) {
        a.fillOutputs(0.0f);
        b.fillOutputs(0.25f);
        replacing->processReplace(a.inPtrs.data(), a.outPtrs.data(), 700);
        adding->processAdd(b.inPtrs.data(), b.outPtrs.data(), 700);
        for (int c = 0; c < 2; ++c) {
            for (size_t j = 0; j < 700; ++j) {
                ASSERT_EQ(b.out[static_cast<size_t>(c)][j], a.out[static_cast<size_t>(c)][j] + 0.25f)
                    << block;
            }
        }
    }
}

TEST_F(ChorusEffectTest, ALongerBlockRebuildsFirstAndIsProcessedWhole) {
    auto announced = makeEffect();
    announced->dispatch(opBlockSize, 0, 2048, nullptr, 0.0f);
    announced->dispatch(opPower, 0, 1, nullptr, 0.0f);
    auto surprised = makeEffect(true);
    const chorus::ChorusProcessor* before = surprised->getEngine();
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(before->getBlockSize(), 1024);

    Buffers expected(2048);
    Buffers got(2048);
    expected.fillOutputs(0.0f);
    got.fillOutputs(0.0f);
    announced->processAdd(expected.inPtrs.data(), expected.outPtrs.data(), 2048);
    surprised->processAdd(got.inPtrs.data(), got.outPtrs.data(), 2048);
    EXPECT_EQ(surprised->getBlockSize(), 2048);
    ASSERT_NE(surprised->getEngine(), nullptr);
    EXPECT_EQ(surprised->getEngine()->getBlockSize(), 2048);
    EXPECT_EQ(got.out, expected.out);
    EXPECT_NE(got.out[1][2047], 0.0f);
}

TEST_F(ChorusEffectTest, AHeldProgramLoadKeepsChangesFromTheEngine) {
    auto effect = makeEffect(true);
    Buffers buffers(64);
    effect->processReplace(buffers.inPtrs.data(), buffers.outPtrs.data(), 64);
    effect->parameterSet()->raiseApplyHold();
    effect->writeParam(0, 1.0f);
    effect->writeParam(3, 1.0f);
    effect->processReplace(buffers.inPtrs.data(), buffers.outPtrs.data(), 64);
    EXPECT_EQ(effect->getEngine()->getMix(), 50.0f);
    EXPECT_EQ(effect->getEngine()->getActiveStages(), 1);
    effect->parameterSet()->lowerApplyHold();
    effect->processReplace(buffers.inPtrs.data(), buffers.outPtrs.data(), 64);
    EXPECT_EQ(effect->getEngine()->getMix(), 100.0f);
    EXPECT_EQ(effect->getEngine()->getActiveStages(), 4);
}

namespace {

// Notes the apply hold each time the effect reports a value.
class HoldWatchingEditor : public FakeEditor {
public:
    explicit HoldWatchingEditor(ChorusEffect& effect)
        : FakeEditor(effect), parameters(*effect.parameterSet()) {}
    void paramChanged(int32_t index, float value) override {
        holds.push_back(parameters.getApplyHold());
        FakeEditor::paramChanged(index, value);
    }

    std::vector<int> holds;

private:
    chorus::ParameterSet& parameters;
};

} // namespace

TEST_F(ChorusEffectTest, EveryWayOfLoadingAProgramHoldsTheEngineBackWhileItWritesTheValues) {
    auto effect = makeEffect(true);
    auto* editor = new HoldWatchingEditor(*effect);
    void* data = nullptr;
    const intptr_t bankSize = effect->dispatch(opSaveState, 0, 0, &data, 0.0f);
    std::vector<uint8_t> bank(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + bankSize);
    const struct {
        const char* what;
        int32_t opcode, index;
        intptr_t value;
        void* ptr;
    } loads[] = {{"program change", opSelectProgram, 0, 3, nullptr},
                 {"program chunk", opLoadState, 1, effect->getProgramBytes(), bank.data()},
                 {"bank chunk", opLoadState, 0, bankSize, bank.data()}};
    for (const auto& load : loads) {
        editor->holds.clear();
        effect->dispatch(load.opcode, load.index, load.value, load.ptr, 0.0f);
        ASSERT_EQ(editor->holds.size(), 5u) << load.what;
        for (int hold : editor->holds) {
            EXPECT_GT(hold, 0) << load.what;
        }
        EXPECT_EQ(effect->parameterSet()->getApplyHold(), 0) << load.what;
    }
}

TEST_F(ChorusEffectTest, ResumeRebuildsForANewBlockSizeAlsoWhenTheHostRepeatsIt) {
    for (int repeats : {1, 2}) {
        auto effect = makeEffect(true);
        ASSERT_EQ(effect->getEngine()->getBlockSize(), 1024);
        for (int i = 0; i < repeats; ++i) {
            effect->dispatch(opBlockSize, 0, 512, nullptr, 0.0f);
        }
        effect->dispatch(opPower, 0, 0, nullptr, 0.0f);
        effect->dispatch(opPower, 0, 1, nullptr, 0.0f);
        ASSERT_NE(effect->getEngine(), nullptr);
        EXPECT_EQ(effect->getEngine()->getBlockSize(), 512) << repeats;
    }
}

TEST_F(ChorusEffectTest, ProcessingAnswersAPendingReset) {
    auto effect = makeEffect(true);
    auto* parameters = effect->parameterSet();
    ASSERT_TRUE(parameters->isResetPending());
    parameters->raiseResetHold();
    Buffers buffers(32);
    effect->processAdd(buffers.inPtrs.data(), buffers.outPtrs.data(), 32);
    EXPECT_TRUE(parameters->isResetPending());
    parameters->lowerResetHold();
    effect->processAdd(buffers.inPtrs.data(), buffers.outPtrs.data(), 32);
    EXPECT_FALSE(parameters->isResetPending());
}

TEST_F(ChorusEffectTest, AMonoInputGetsTheOneIntoTwoRouting) {
    TestHost::answer = [](const RecordedCall& call) {
        if (call.opcode == hostOpVersion) {
            return 2400;
        }
        return call.opcode == hostOpPinConnected && call.value == 0 && call.index == 1 ? 1 : 0;
    };
    auto effect = makeEffect(true);
    EXPECT_EQ(effect->getEngineInputs(), 1);
    EXPECT_EQ(effect->getEngineOutputs(), 2);
    Buffers buffers(512);
    buffers.in[1].assign(512, std::numeric_limits<float>::quiet_NaN()); // never read
    effect->processReplace(buffers.inPtrs.data(), buffers.outPtrs.data(), 512);
    EXPECT_TRUE(everyOutput(buffers, [](float sample) { return std::isfinite(sample); }));
    EXPECT_FALSE(untouched(buffers));
}

TEST_F(ChorusEffectTest, RatesAndBlockSizesTheEngineCannotUseAreIgnored) {
    auto effect = makeEffect();
    effect->dispatch(opSampleRate, 0, 0, nullptr, 48000.0f);
    const chorus::ChorusProcessor* engine = effect->getEngine();
    ASSERT_NE(engine, nullptr);
    for (float rate : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 0.0f,
                       -44100.0f, 1000.0f, 1.0e9f}) {
        effect->dispatch(opSampleRate, 0, 0, nullptr, rate);
        EXPECT_EQ(effect->getSampleRate(), 48000.0f) << rate;
        EXPECT_EQ(effect->getEngine(), engine) << rate;
        effect->dispatch(opBlockSizeAndRate, 0, 512, nullptr, rate);
        EXPECT_EQ(effect->getSampleRate(), 48000.0f) << rate;
    }
    for (int32_t frames : {0, -1, -1024}) {
        effect->dispatch(opBlockSize, 0, frames, nullptr, 0.0f);
        effect->dispatch(opBlockSizeAndRate, 0, frames, nullptr, 48000.0f);
        EXPECT_EQ(effect->getBlockSize(), 512) << frames;
    }
    effect->dispatch(opPower, 0, 1, nullptr, 0.0f);
    ASSERT_NE(effect->getEngine(), nullptr);
    EXPECT_EQ(effect->getEngine()->getBlockSize(), 512);
}

TEST_F(ChorusEffectTest, BlockSizeAndRateRequestDoesNotRebuild) {
    auto effect = makeEffect(true);
    const chorus::ChorusProcessor* engine = effect->getEngine();
    EXPECT_EQ(effect->dispatch(opBlockSizeAndRate, 0, 512, nullptr, 48000.0f), 1);
    EXPECT_EQ(effect->getBlockSize(), 512);
    EXPECT_EQ(effect->getSampleRate(), 48000.0f);
    EXPECT_EQ(effect->getEngine(), engine);
    // The adding entry stays safe with blocks longer than the engine was built for.
    effect->dispatch(opBlockSizeAndRate, 0, 4096, nullptr, 48000.0f);
    Buffers buffers(4096);
    effect->processAdd(buffers.inPtrs.data(), buffers.outPtrs.data(), 4096);
    EXPECT_EQ(effect->getEngine(), engine);
}

TEST_F(ChorusEffectTest, EmptyOrMissingBuffersAreIgnored) {
    auto effect = makeEffect(true);
    Buffers buffers(16);
    effect->processReplace(buffers.inPtrs.data(), buffers.outPtrs.data(), 0);
    effect->processReplace(buffers.inPtrs.data(), buffers.outPtrs.data(), -5);
    effect->processAdd(nullptr, buffers.outPtrs.data(), 16);
    effect->processAdd(buffers.inPtrs.data(), nullptr, 16);
    EXPECT_TRUE(untouched(buffers));
    EXPECT_EQ(effect->getBlockSize(), 1024);
}

TEST_F(ChorusEffectTest, SampleRateChangeRebuildsAndTellsTheEditor) {
    auto effect = makeEffect();
    auto* editor = new FakeEditor(*effect);
    effect->dispatch(opSampleRate, 0, 0, nullptr, 96000.0f);
    ASSERT_TRUE(effect->isEngineBuilt());
    effect->dispatch(opSampleRate, 0, 0, nullptr, 44100.5f); // the engine gets whole hertz
    EXPECT_NE(effect->getEngine(), nullptr);
    EXPECT_EQ(effect->getSampleRate(), 44100.5f);
    EXPECT_EQ(editor->rates, (std::vector<float>{96000.0f, 44100.5f}));
    effect->dispatch(opSampleRate, 0, 0, nullptr, -1.0f);
    EXPECT_EQ(editor->rates.size(), 2u);
}

namespace {

// An editor that still reads the parameter set while it is destroyed, as a GUI editor releasing its
// controls may.
class ReadingEditor : public FakeEditor {
public:
    ReadingEditor(ChorusEffect& effect, float& seen)
        : FakeEditor(effect), parameters(effect.parameterSet()), last(seen) {}
    ~ReadingEditor() override { last = parameters->getRealValue(0); }

private:
    chorus::ParameterSet* parameters;
    float& last;
};

} // namespace

TEST_F(ChorusEffectTest, TheEditorGoesBeforeTheParameterSetItReads) {
    float seen = 0.0f;
    auto* effect = new ChorusEffect(TestHost::callback);
    effect->initialise();
    new ReadingEditor(*effect, seen);
    effect->writeParam(0, 0.75f);
    EffectDescriptor* d = effect->descriptor();
    EXPECT_EQ(d->dispatchEntry(d, opClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(seen, 75.0f);
}

TEST_F(ChorusEffectTest, ALayoutRequestNeverGivesTheEngineMoreChannelsThanDeclared) {
    auto effect = makeEffect();
    ChannelLayoutRecord layout{0, 8};
    EXPECT_EQ(effect->dispatch(opChannelLayout, 0, 0, &layout, 0.0f), 1);
    effect->dispatch(opSampleRate, 0, 0, nullptr, 48000.0f); // rebuilds with the layout's count
    ASSERT_NE(effect->getEngine(), nullptr);
    EXPECT_EQ(effect->getEngine()->getNumInputs(), 2);
    EXPECT_EQ(effect->getEngine()->getNumOutputs(), 2);
    Buffers buffers(128); // the host passes exactly the two declared channels
    effect->processAdd(buffers.inPtrs.data(), buffers.outPtrs.data(), 128);

    layout.channelCount = 0;
    effect->dispatch(opChannelLayout, 0, 0, &layout, 0.0f);
    effect->dispatch(opSampleRate, 0, 0, nullptr, 44100.0f);
    ASSERT_NE(effect->getEngine(), nullptr);
    EXPECT_EQ(effect->getEngine()->getNumInputs(), 1);
    effect->processReplace(buffers.inPtrs.data(), buffers.outPtrs.data(), 128);
    EXPECT_FALSE(untouched(buffers));
}

namespace {

// The effect beside the per-sample model: before each block every value the effect has marked changed is
// handed to the model, just as the engine takes it, so both hear the same changes at the same frames.
class ModelledEffect {
public:
    ModelledEffect() : effect(makeEffect(true)), model(2, 2, 44100.0) {}

    ::testing::AssertionResult process(int frames) {
        chorus::ParameterSet& set = *effect->parameterSet();
        for (int i = 0; i < set.getCount(); ++i) {
            if (set.isChanged(i)) {
                modelSet.setRealValue(i, set.getRealValue(i));
            }
        }
        Buffers actual(frames), expected(frames);
        effect->processReplace(actual.inPtrs.data(), actual.outPtrs.data(), frames);
        model.applyParameters(modelSet);
        model.render(expected.inPtrs.data(), expected.outPtrs.data(), frames, false);
        for (std::size_t c = 0; c < 2; ++c) {
            for (std::size_t j = 0; j < static_cast<std::size_t>(frames); ++j) {
                const float a = actual.out[c][j];
                const float b = expected.out[c][j];
                if (std::memcmp(&a, &b, sizeof a) != 0) {
                    return ::testing::AssertionFailure()
                           << "channel " << c << " frame " << j << ": effect " << a << ", model " << b;
                }
            }
        }
        return ::testing::AssertionSuccess();
    }
    intptr_t load(const std::vector<uint8_t>& bytes, bool programOnly) {
        return effect->dispatch(opLoadState, programOnly ? 1 : 0, static_cast<intptr_t>(bytes.size()),
                                const_cast<uint8_t*>(bytes.data()), 0.0f);
    }

    std::unique_ptr<ChorusEffect> effect;
    chorus::ChorusParameterSet modelSet;
    chorus::reference::ReferenceChorus model;
};

} // namespace

// A huge Freq is legal input (normalised values are not clamped) and a preset can carry it. Whichever way it
// arrives, the frames run at it and the normal rate after it must sound as the model does: the rate change
// saturates the stages' frame counters and the next blocks cross the counter's end.
TEST_F(ChorusEffectTest, AHugeRateFromAnyEntryThenANormalOneSoundsLikeTheModel) {
    const uint32_t huge = std::bit_cast<uint32_t>(3e36f);
    const std::array<uint32_t, 5> hugeValues = {0x3F000000, huge, 0x3F000000, 0x3F800000, 0x3F000000};
    std::vector<uint8_t> bank = factoryBankBytes();
    const std::vector<uint8_t> hugeRow = chunkRow(hugeValues, "Huge");
    std::copy(hugeRow.begin(), hugeRow.end(), bank.begin() + 6 * 84);
    const struct {
        const char* way;
        std::function<void(ModelledEffect&)> toHuge;
        std::function<void(ModelledEffect&)> toNormal;
    } ways[] = {
        {"parameter entry", [](ModelledEffect& m) { m.effect->writeParam(chorus::paramFreq, 3e36f); },
         [](ModelledEffect& m) { m.effect->writeParam(chorus::paramFreq, 0.4f); }},
        {"program change",
         [&](ModelledEffect& m) {
             m.load(bank, false);
             m.effect->dispatch(opSelectProgram, 0, 6, nullptr, 0.0f);
         },
         [](ModelledEffect& m) { m.effect->dispatch(opSelectProgram, 0, 0, nullptr, 0.0f); }},
        {"program chunk", [&](ModelledEffect& m) { m.load(hugeRow, true); },
         [](ModelledEffect& m) { m.load(chunkRow(factoryPrograms[1].values, "Wobble"), true); }},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        ModelledEffect m;
        ASSERT_TRUE(m.process(100));
        w.toHuge(m);
        ASSERT_TRUE(m.process(64)) << "at the huge rate";
        w.toNormal(m);
        for (int frames : {300, 512, 17}) {
            ASSERT_TRUE(m.process(frames)) << frames << " frames at the normal rate";
        }
    }
}
