// The chorus effect's engine life cycle and its two processing entries.
#include "plugin/ChorusEffect.h"

#include "FakeEditor.h"
#include "TestHost.h"
#include "dsp/ChorusProcessor.h"
#include "dsp/ParameterSet.h"

#include <algorithm>
#include <cmath>
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
