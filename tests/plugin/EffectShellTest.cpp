// The shell's parameter, program and chunk handling, seen through the chorus effect (and a one-input shell).
#include "FactoryBankTable.h"
#include "FakeEditor.h"
#include "TestHost.h"
#include "dsp/ChorusParameterSet.h"
#include "plugin/ChorusEffect.h"

#include <bit>
#include <clocale>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

using chorus::ChorusEffect;
using chorus::ChorusParameterSet;
using chorus::EffectShell;

namespace {

constexpr float notANumber = std::numeric_limits<float>::quiet_NaN();
constexpr float inf = std::numeric_limits<float>::infinity();

class EffectShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestHost::reset();
        ASSERT_EQ(effect.initialise(), 1);
    }

    std::vector<uint8_t> save(bool programOnly) {
        void* data = nullptr;
        const intptr_t size = effect.dispatch(opSaveState, programOnly ? 1 : 0, 0, &data, 0.0f);
        const auto* bytes = static_cast<const uint8_t*>(data);
        return size > 0 && bytes != nullptr ? std::vector<uint8_t>(bytes, bytes + size)
                                            : std::vector<uint8_t>{};
    }
    intptr_t load(std::vector<uint8_t> bytes, bool programOnly) {
        return effect.dispatch(opLoadState, programOnly ? 1 : 0, static_cast<int32_t>(bytes.size()),
                               bytes.data(), 0.0f);
    }
    std::string text(int32_t opcode, int32_t index = 0) {
        char out[128];
        std::memset(out, '#', sizeof out);
        effect.dispatch(opcode, index, 0, out, 0.0f);
        return out;
    }
    float real(int index) { return effect.parameterSet()->getRealValue(index); }
    // Typed text may live in read-only memory: the parse must leave the host's text as it was.
    intptr_t fromText(int32_t index, const char* typed) {
        std::string copy = typed;
        const intptr_t answer = effect.dispatch(opParamFromText, index, 0, copy.data(), 0.0f);
        EXPECT_EQ(copy, typed);
        return answer;
    }

    ChorusEffect effect{TestHost::callback};
};

uint32_t bits(float value) {
    return std::bit_cast<uint32_t>(value);
}

} // namespace

TEST_F(EffectShellTest, TheFactoryBankIsWhatTheHostReceives) {
    const std::vector<uint8_t> bank = save(false);
    ASSERT_EQ(bank.size(), 672u);
    EXPECT_EQ(bank, factoryBankBytes());
    for (int32_t p = 0; p < 8; ++p) {
        effect.dispatch(opSelectProgram, 0, p, nullptr, 0.0f);
        EXPECT_EQ(text(opProgramName), factoryPrograms[static_cast<size_t>(p)].name);
    }
    // Selecting and reading back every program leaves every value as published.
    EXPECT_EQ(save(false), factoryBankBytes());
}

TEST_F(EffectShellTest, FactoryProgramsLoadTheirValues) {
    effect.dispatch(opSelectProgram, 0, 4, nullptr, 0.0f); // Gargle This
    EXPECT_EQ(real(0), 50.0f);
    EXPECT_EQ(real(1), 5.0f);
    EXPECT_EQ(real(2), 5.0f);
    EXPECT_EQ(real(3), 3.0f);
    EXPECT_EQ(real(4), 2.0f);
    const std::vector<uint8_t> row = save(true);
    ASSERT_EQ(row.size(), 84u);
    EXPECT_EQ(row, chunkRow(factoryPrograms[4].values, "Gargle This"));
}

TEST_F(EffectShellTest, SelectingAProgramKeepsTheEditsOfTheOneLeft) {
    effect.writeParam(0, 0.25f);
    effect.dispatch(opSelectProgram, 0, 1, nullptr, 0.0f);
    EXPECT_EQ(real(0), 50.0f);
    effect.dispatch(opSelectProgram, 0, 0, nullptr, 0.0f);
    EXPECT_EQ(real(0), 25.0f);
    EXPECT_EQ(effect.dispatch(opCurrentProgram, 0, 0, nullptr, 0.0f), 0);
}

// The module's own callers (the editor's program keys) reach selection without the dispatcher's check.
TEST_F(EffectShellTest, SelectionOutsideTheBankIsRefusedWhoeverAsks) {
    effect.dispatch(opSelectProgram, 0, 7, nullptr, 0.0f);
    const std::vector<uint8_t> before = save(false);
    for (int32_t program :
         {8, -1, 1000, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
        effect.selectProgram(program);
        EXPECT_EQ(effect.dispatch(opCurrentProgram, 0, 0, nullptr, 0.0f), 7) << program;
    }
    EXPECT_EQ(save(false), before);
}

TEST_F(EffectShellTest, RenameCutsLongNamesToTheField) {
    std::string longName(100, 'x');
    effect.dispatch(opRenameProgram, 0, 0, longName.data(), 0.0f);
    EXPECT_EQ(text(opProgramName), std::string(63, 'x'));
    char shortName[] = "Mine";
    effect.dispatch(opRenameProgram, 0, 0, shortName, 0.0f);
    EXPECT_EQ(text(opProgramName), "Mine");
    // The bytes after the terminator stay as they were.
    const std::vector<uint8_t> row = save(true);
    EXPECT_EQ(row[20 + 4], 0);
    EXPECT_EQ(row[20 + 5], 'x');
    EXPECT_EQ(row[20 + 63], 0);
}

TEST_F(EffectShellTest, AnUnterminatedNameIsNeverReadPastItsField) {
    std::vector<uint8_t> row = chunkRow(factoryPrograms[1].values, "");
    std::memset(row.data() + 20, 'A', 64);
    load(row, true);
    char out[128];
    std::memset(out, '#', sizeof out);
    effect.dispatch(opProgramName, 0, 0, out, 0.0f);
    EXPECT_EQ(std::string(out), std::string(63, 'A'));
    EXPECT_EQ(out[64], '#');
}

TEST_F(EffectShellTest, ChunksOfAnyOtherSizeAreRefusedAndChangeNothing) {
    effect.dispatch(opSelectProgram, 0, 2, nullptr, 0.0f);
    const std::vector<uint8_t> before = save(false);
    std::vector<intptr_t> sizes = {0, 1, 79, 81, 83, 85, 100, 639, 641, 671, 673, 100000, -84};
    if (sizeof(intptr_t) == 8) { // a pointer-sized count must not wrap into a valid one
        const auto above32Bits = static_cast<intptr_t>(int64_t{1} << 32);
        sizes.insert(sizes.end(), {above32Bits + 84, above32Bits + 672, 84 - above32Bits});
    }
    std::vector<uint8_t> junk(1024, 0x7F);
    for (intptr_t size : sizes) {
        for (bool programOnly : {true, false}) {
            EXPECT_EQ(effect.dispatch(opLoadState, programOnly ? 1 : 0, size, junk.data(), 0.0f), 0) << size;
        }
    }
    EXPECT_EQ(save(false), before);
    EXPECT_EQ(effect.dispatch(opLoadState, 1, 84, nullptr, 0.0f), 0);
}

TEST_F(EffectShellTest, ACurrentProgramChunkLoadsIntoTheCurrentProgram) {
    effect.dispatch(opSelectProgram, 0, 3, nullptr, 0.0f);
    const std::vector<uint8_t> row = chunkRow(factoryPrograms[7].values, "Copied");
    EXPECT_EQ(load(row, true), 0);
    EXPECT_EQ(text(opProgramName), "Copied");
    EXPECT_EQ(real(0), 90.0f);
    EXPECT_EQ(real(3), 4.0f);
    EXPECT_EQ(save(true), row);
}

TEST_F(EffectShellTest, OldLayoutProgramGainsShapeAndRescalesStages) {
    const std::vector<uint8_t> old =
        oldLayoutRow({bits(0.25f), bits(0.2f), bits(0.6f), bits(0.75f)}, "Vintage");
    ASSERT_EQ(old.size(), 80u);
    EXPECT_EQ(load(old, true), 0);
    EXPECT_EQ(real(0), 25.0f);
    EXPECT_EQ(real(1), 1.0f);
    EXPECT_EQ(real(2), 3.0f);
    // 0.75 times 0.6666667 is 0.5, which selects three stages; Shape becomes the sine.
    EXPECT_EQ(real(3), 3.0f);
    EXPECT_EQ(real(4), 1.0f);
    EXPECT_EQ(text(opProgramName), "Vintage");
}

TEST_F(EffectShellTest, OldLayoutBankConvertsEveryRow) {
    std::vector<uint8_t> old;
    for (int r = 0; r < 8; ++r) {
        const std::vector<uint8_t> row =
            oldLayoutRow({bits(0.1f * static_cast<float>(r)), bits(0.5f), bits(0.5f), bits(1.0f)},
                         "Old " + std::to_string(r));
        old.insert(old.end(), row.begin(), row.end());
    }
    ASSERT_EQ(old.size(), 640u);
    EXPECT_EQ(load(old, false), 0);
    EXPECT_EQ(text(opProgramName), "Old 0");
    effect.dispatch(opSelectProgram, 0, 6, nullptr, 0.0f);
    EXPECT_EQ(text(opProgramName), "Old 6");
    EXPECT_EQ(real(0), 60.0f);
    EXPECT_EQ(real(3), 3.0f); // 1.0 becomes 0.6666667: three stages
    EXPECT_EQ(real(4), 1.0f);
    const std::vector<uint8_t> row = save(true);
    EXPECT_EQ(row[16], 0x3F); // Shape stored as 0.5
    EXPECT_EQ(row[17], 0x00);
}

TEST_F(EffectShellTest, NonFiniteChunkValuesAreSkippedAndTheRestLoads) {
    effect.writeParam(1, 0.2f);
    effect.writeParam(2, 0.2f);
    const std::vector<uint8_t> row =
        chunkRow({bits(0.3f), bits(notANumber), bits(-inf), bits(1.0f), bits(1.0f)}, "Odd");
    EXPECT_EQ(load(row, true), 0);
    EXPECT_EQ(real(0), 30.0f);
    EXPECT_EQ(real(1), 1.0f);
    EXPECT_EQ(real(2), 1.0f);
    EXPECT_EQ(real(3), 4.0f);
    EXPECT_EQ(real(4), 2.0f);
    EXPECT_EQ(text(opProgramName), "Odd");
    // What the host gets back is finite again.
    const std::vector<uint8_t> saved = save(true);
    EXPECT_EQ(saved,
              chunkRow({bits(effect.readParam(0)), bits(0.2f), bits(0.2f), bits(1.0f), bits(1.0f)}, "Odd"));
}

TEST_F(EffectShellTest, ParameterEntryIgnoresNonFiniteValues) {
    EffectDescriptor* d = effect.descriptor();
    d->setParamEntry(d, 1, 0.8f);
    EXPECT_EQ(real(1), 4.0f);
    for (float bad : {notANumber, inf, -inf, 1.0e38f}) {
        d->setParamEntry(d, 1, bad);
        EXPECT_EQ(real(1), 4.0f) << bad;
    }
    EXPECT_FLOAT_EQ(d->getParamEntry(d, 1), 0.8f);
}

TEST_F(EffectShellTest, WritesReachTheEditorAsReceived) {
    auto* editor = new FakeEditor(effect);
    effect.writeParam(1, 0.4013f);
    ASSERT_EQ(editor->changes.size(), 1u);
    EXPECT_EQ(editor->changes[0].first, 1);
    EXPECT_EQ(editor->changes[0].second, 0.4013f);
    EXPECT_EQ(real(1), 2.01f);
    effect.writeParam(9, 0.5f); // no such parameter: the editor is still told
    EXPECT_EQ(editor->changes.size(), 2u);
    effect.writeParam(1, notANumber);
    EXPECT_EQ(editor->changes.size(), 2u);
}

TEST(EffectShellBeforeInitialise, ParameterWritesAreIgnored) {
    TestHost::reset();
    ChorusEffect effect(TestHost::callback);
    effect.writeParam(0, 0.3f); // no parameter set yet: must not crash or store
    EXPECT_EQ(effect.readParam(0), 0.0f);
    EXPECT_FALSE(effect.isReady());
}

TEST_F(EffectShellTest, NamesUnitsAndValueTextsComeFromTheParameterSet) {
    EXPECT_EQ(text(opParamValueText, 1), "2.00");
    EXPECT_EQ(text(opParamValueText, 0), "50");
    EXPECT_EQ(text(opParamValueText, 3), " 1");
    EXPECT_EQ(text(opParamValueText, 4), " 1");
    EXPECT_EQ(text(opParamValueText, 7), "0.00");
    effect.writeParam(2, 0.013f);
    EXPECT_EQ(text(opParamValueText, 2), "0.07");
    effect.writeParam(0, 1.0f);
    EXPECT_EQ(text(opParamValueText, 0), "100");

    const char* names[] = {"Mix", "Freq", "Delay", "Stages", "Shape"};
    const char* units[] = {"%", "Hz", "ms", "", ""};
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(text(opParamName, i), names[i]);
        EXPECT_EQ(text(opParamUnit, i), units[i]);
    }
    EXPECT_EQ(text(opParamName, 5), "");
    EXPECT_EQ(text(opParamUnit, -1), "");
    EXPECT_EQ(effect.dispatch(opVendorName, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(text(opVendorName), "Quillfen Digital Audio");
    EXPECT_EQ(effect.dispatch(opCategory, 0, 0, nullptr, 0.0f), 1);
}

TEST_F(EffectShellTest, TypedTextIsParsedClampedAndLocaleFree) {
    EXPECT_EQ(fromText(1, "3,5"), 1);
    EXPECT_EQ(real(1), 3.5f);
    fromText(1, "  2.25 Hz");
    EXPECT_EQ(real(1), 2.25f);
    fromText(1, "9");
    EXPECT_EQ(real(1), 5.0f);
    fromText(3, "0");
    EXPECT_EQ(real(3), 1.0f);
    fromText(0, "-20");
    EXPECT_EQ(real(0), 0.0f);
    fromText(2, "+1.5");
    EXPECT_EQ(real(2), 1.5f);
    fromText(4, ".5e1");
    EXPECT_EQ(real(4), 2.0f);
    // Text without a number, or with a value that is not finite, leaves the parameter as it was.
    for (const char* typed : {"", "abc", "Hz 3", "nan", "inf", "-infinity", "1e999", ",", "+-3"}) {
        EXPECT_EQ(fromText(2, typed), 1) << typed;
        EXPECT_EQ(real(2), 1.5f) << typed;
    }
    EXPECT_EQ(effect.dispatch(opParamFromText, 2, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(real(2), 1.5f);
}

TEST_F(EffectShellTest, TypedNumbersTooSmallForAFloatReadAsTheNearestFloat) {
    for (const char* typed : {"1e-50", "0,0000001e-300", "-1e-400", "1E-46"}) {
        fromText(1, "2");
        fromText(1, typed);
        EXPECT_EQ(real(1), 0.0f) << typed;
    }
    fromText(1, "1e-40"); // a denormal
    EXPECT_GT(real(1), 0.0f);
    EXPECT_LT(real(1), std::numeric_limits<float>::min());
    // Too large stays unreadable, whatever way it is written.
    for (const char* typed : {"1e39", "-1e400", "0.001e42"}) {
        fromText(2, "1.5");
        fromText(2, typed);
        EXPECT_EQ(real(2), 1.5f) << typed;
    }
}

TEST_F(EffectShellTest, SteppedParametersReportTheirOldValueBeforeTheNewOne) {
    effect.applyUserParam(3, 1.0f); // Stages: 1 to 4
    auto automation = TestHost::callsWith(hostOpAutomate);
    ASSERT_EQ(automation.size(), 2u);
    EXPECT_EQ(automation[0].index, 3);
    EXPECT_EQ(automation[0].opt, 0.0f);
    EXPECT_EQ(automation[1].opt, 1.0f);
    EXPECT_EQ(real(3), 4.0f);

    TestHost::calls.clear();
    effect.applyUserParam(4, 0.0f);
    automation = TestHost::callsWith(hostOpAutomate);
    ASSERT_EQ(automation.size(), 2u);
    EXPECT_EQ(automation[0].opt, 0.5f);
    EXPECT_EQ(automation[1].opt, 0.0f);

    for (int32_t continuous : {0, 1, 2}) {
        TestHost::calls.clear();
        effect.applyUserParam(continuous, 0.3f);
        automation = TestHost::callsWith(hostOpAutomate);
        ASSERT_EQ(automation.size(), 1u) << continuous;
        EXPECT_EQ(automation[0].opt, 0.3f);
    }
}

TEST_F(EffectShellTest, TheWheelMessageNeedsAnEditorAndBothCodes) {
    char nothing[4] = {};
    EXPECT_EQ(effect.dispatch(opVendorSpecific, 0x726E4B44, 0x57686565, nothing, 1.0f), 0);
    auto* editor = new FakeEditor(effect);
    EXPECT_EQ(effect.dispatch(opVendorSpecific, 0x726E4B44, 0x57686565, nullptr, -2.0f), 1);
    ASSERT_EQ(editor->wheelDistances.size(), 1u);
    EXPECT_EQ(editor->wheelDistances[0], -2.0f);
    EXPECT_EQ(effect.dispatch(opVendorSpecific, 0x726E4B45, 0x57686565, nullptr, 1.0f), 0);
    EXPECT_EQ(effect.dispatch(opVendorSpecific, 0x726E4B44, 0, nullptr, 1.0f), 0);
    if (sizeof(intptr_t) == 8) {
        const auto above32Bits = static_cast<intptr_t>(int64_t{1} << 32);
        EXPECT_EQ(effect.dispatch(opVendorSpecific, 0x726E4B44, above32Bits + 0x57686565, nullptr, 1.0f), 0);
    }
    editor->wheelAnswer = false;
    EXPECT_EQ(effect.dispatch(opVendorSpecific, 0x726E4B44, 0x57686565, nullptr, 1.0f), 0);
    editor->wheelAnswer = true;
    effect.setWheelEnabled(false);
    EXPECT_EQ(effect.dispatch(opVendorSpecific, 0x726E4B44, 0x57686565, nullptr, 1.0f), 0);
}

TEST_F(EffectShellTest, ChannelLayoutForcesTheNextConfigurationCheck) {
    EXPECT_TRUE(effect.configurationChanged());
    effect.rebuildEngine();
    EXPECT_FALSE(effect.configurationChanged());
    ChannelLayoutRecord layout{0, 2};
    EXPECT_EQ(effect.dispatch(opChannelLayout, 0, 0, &layout, 0.0f), 1);
    EXPECT_TRUE(effect.configurationChanged());
    EXPECT_FALSE(effect.configurationChanged());
    EXPECT_EQ(effect.dispatch(opChannelLayout, 0, 0, nullptr, 0.0f), 0);
}

TEST_F(EffectShellTest, ConnectedCountsFollowTheHostsPinAnswers) {
    TestHost::answer = [](const RecordedCall& call) {
        return call.opcode == hostOpPinConnected && call.value == 0 && call.index == 1 ? 1 : 0;
    };
    EXPECT_EQ(effect.connectedInputCount(), 1);
    EXPECT_EQ(effect.connectedOutputCount(), 2);
    TestHost::answer = [](const RecordedCall&) { return 1; };
    EXPECT_EQ(effect.connectedInputCount(), 0);
}

TEST(EffectShellPins, OneDeclaredInputAsksTheHostNothing) {
    class MonoShell : public EffectShell {
    public:
        MonoShell() : EffectShell(TestHost::callback, 1, 2, 1, 5, 5, 1) {}
    };
    TestHost::reset();
    MonoShell shell;
    EXPECT_EQ(shell.connectedInputCount(), 1);
    EXPECT_TRUE(TestHost::callsWith(hostOpPinConnected).empty());
    EXPECT_EQ(shell.descriptor()->flags, 0x38u);
    EXPECT_EQ(shell.descriptor()->inputCount, 1);
    EXPECT_EQ(shell.descriptor()->pluginId, 1);
}

TEST_F(EffectShellTest, TextsIgnoreTheProcessLocale) {
    // A host may run with a locale whose decimal point is a comma.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    bool commaLocale = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE", "German_Germany.1252", "German", "deu"}) {
        if (std::setlocale(LC_NUMERIC, name) != nullptr && std::localeconv()->decimal_point[0] == ',') {
            commaLocale = true;
            break;
        }
    }
    if (!commaLocale) {
        std::setlocale(LC_NUMERIC, saved.c_str());
        GTEST_SKIP() << "no locale with a decimal comma on this system";
    }
    fromText(1, "3.5");
    const float dotted = real(1);
    fromText(2, "1,25");
    const float commaed = real(2);
    const std::string shown = text(opParamValueText, 1);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(dotted, 3.5f);
    EXPECT_EQ(commaed, 1.25f);
    EXPECT_EQ(shown, "3.50");
}
