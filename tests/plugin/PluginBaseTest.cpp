#include "FakeEditor.h"
#include "TestHost.h"
#include "plugin/PluginBaseEx.h"

#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <utility>

using chorus::PluginBase;
using chorus::PluginBaseEx;

namespace {

class TestPlugin : public PluginBaseEx {
public:
    explicit TestPlugin(HostCallback callback, int* destroyed = nullptr)
        : PluginBaseEx(callback, 3, 4), destroyedCounter(destroyed) {}
    ~TestPlugin() override {
        if (destroyedCounter != nullptr) {
            ++*destroyedCounter;
        }
    }
    void processAdd(float**, float**, int32_t) override {}
    float meterLevel() override { return meter; }
    void writeParam(int32_t index, float value) override {
        lastIndex = index;
        lastValue = value;
    }

    float meter = 0.0f;
    int32_t lastIndex = -1;
    float lastValue = 0.0f;

private:
    int* destroyedCounter;
};

class PluginBaseTest : public ::testing::Test {
protected:
    void SetUp() override { TestHost::reset(); }

    std::string floatText(float value) {
        char out[32];
        std::memset(out, 'X', sizeof out);
        plugin.floatToText(value, out);
        return out;
    }

    TestPlugin plugin{TestHost::callback};
};

} // namespace

TEST_F(PluginBaseTest, ConstructionFillsTheDescriptor) {
    const EffectDescriptor& d = *plugin.descriptor();
    EXPECT_EQ(std::memcmp(&d, "PleQ", 4), 0); // the magic as bytes, whatever the host's byte order
    EXPECT_EQ(d.programCount, 3);
    EXPECT_EQ(d.paramCount, 4);
    EXPECT_EQ(d.inputCount, 1);
    EXPECT_EQ(d.outputCount, 2);
    EXPECT_EQ(d.flags, 0u);
    EXPECT_EQ(d.inOutRatio, 1.0f);
    EXPECT_EQ(d.owner, static_cast<PluginBase*>(&plugin));
    EXPECT_EQ(d.pluginId, 0x4E6F4566);
    EXPECT_EQ(d.pluginVersion, 1);
    EXPECT_EQ(d.hostData, nullptr);
    EXPECT_EQ(d.latency, 0);
    for (unsigned char b : d.reservedTail) {
        EXPECT_EQ(b, 0);
    }
    EXPECT_EQ(plugin.getSampleRate(), 44100.0f);
    EXPECT_EQ(plugin.getBlockSize(), 1024);
    EXPECT_EQ(plugin.currentProgram(), 0);
    EXPECT_EQ(plugin.getEditor(), nullptr);
    EXPECT_EQ(PluginBase::fromDescriptor(plugin.descriptor()), &plugin);
}

TEST_F(PluginBaseTest, EntriesReachTheOwnerOnlyThroughARecordWithTheMagic) {
    EffectDescriptor* d = plugin.descriptor();
    d->setParamEntry(d, 2, 0.25f);
    EXPECT_EQ(plugin.lastIndex, 2);
    EXPECT_EQ(plugin.lastValue, 0.25f);
    EXPECT_EQ(d->getParamEntry(d, 2), 0.0f);
    EXPECT_EQ(d->dispatchEntry(d, opIdentify, 0, 0, nullptr, 0.0f), 0x57797262);

    EffectDescriptor copy = *d;
    copy.magic = 0;
    EXPECT_EQ(copy.dispatchEntry(&copy, opIdentify, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(copy.getParamEntry(&copy, 0), 0.0f);
    EXPECT_EQ(PluginBase::fromDescriptor(nullptr), nullptr);
}

TEST(PluginBaseClose, CloseThroughTheEntryDestroysThePluginAndAnswersOne) {
    int destroyed = 0;
    auto* plugin = new TestPlugin(TestHost::callback, &destroyed);
    int editorsDestroyed = 0;
    new FakeEditor(*plugin, &editorsDestroyed);
    EffectDescriptor* d = plugin->descriptor();
    EXPECT_EQ(d->dispatchEntry(d, opClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(editorsDestroyed, 1);
}

TEST_F(PluginBaseTest, BasicRequestsAnswerAsSpecified) {
    plugin.meter = 0.5f;
    EXPECT_EQ(plugin.dispatch(opMeterLevel, 0, 0, nullptr, 0.0f), 16383);
    plugin.meter = -0.5f;
    EXPECT_EQ(plugin.dispatch(opMeterLevel, 0, 0, nullptr, 0.0f), -16383);
    plugin.meter = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(plugin.dispatch(opMeterLevel, 0, 0, nullptr, 0.0f), 0);
    int dummy = 0;
    EXPECT_EQ(plugin.dispatch(opIdentify, 7, -3, &dummy, 2.5f), 0x57797262);
    for (int32_t opcode : {16, 17, 18, 20, 21}) {
        EXPECT_EQ(plugin.dispatch(opcode, 1, 1, nullptr, 1.0f), 0) << opcode;
    }
    plugin.dispatch(opSampleRate, 0, 0, nullptr, 48000.0f);
    plugin.dispatch(opBlockSize, 0, 256, nullptr, 0.0f);
    EXPECT_EQ(plugin.getSampleRate(), 48000.0f);
    EXPECT_EQ(plugin.getBlockSize(), 256);
}

TEST_F(PluginBaseTest, ProgramSelectionStaysInRange) {
    plugin.dispatch(opSelectProgram, 0, 2, nullptr, 0.0f);
    EXPECT_EQ(plugin.dispatch(opCurrentProgram, 0, 0, nullptr, 0.0f), 2);
    plugin.dispatch(opSelectProgram, 0, 3, nullptr, 0.0f);
    plugin.dispatch(opSelectProgram, 0, -1, nullptr, 0.0f);
    EXPECT_EQ(plugin.dispatch(opCurrentProgram, 0, 0, nullptr, 0.0f), 2);
    if (sizeof(intptr_t) == 8) { // pointer-sized values never wrap into range
        const auto above32Bits = static_cast<intptr_t>(int64_t{1} << 32);
        plugin.dispatch(opSelectProgram, 0, above32Bits + 1, nullptr, 0.0f);
        EXPECT_EQ(plugin.dispatch(opCurrentProgram, 0, 0, nullptr, 0.0f), 2);
        plugin.dispatch(opBlockSize, 0, above32Bits + 256, nullptr, 0.0f);
        EXPECT_EQ(plugin.getBlockSize(), std::numeric_limits<int32_t>::max());
    }
}

TEST_F(PluginBaseTest, TextRequestsWriteEmptyTextsAndToleratesNullBuffers) {
    char out[8] = "abc";
    plugin.dispatch(opProgramName, 0, 0, out, 0.0f);
    EXPECT_STREQ(out, "");
    std::strcpy(out, "abc");
    plugin.dispatch(opParamName, 1, 0, out, 0.0f);
    EXPECT_STREQ(out, "");
    for (int32_t opcode : {opRenameProgram, opProgramName, opParamUnit, opParamValueText, opParamName,
                           opSaveState, opLoadState}) {
        EXPECT_EQ(plugin.dispatch(opcode, 1, 84, nullptr, 0.0f), 0) << opcode;
    }
}

TEST_F(PluginBaseTest, EditorRequestsAnswerZeroUntilAnEditorIsSet) {
    EditorRect* rect = nullptr;
    for (int32_t opcode : {opEditorRect, opEditorOpen, opEditorClose, opEditorIdle}) {
        EXPECT_EQ(plugin.dispatch(opcode, 0, 0, &rect, 0.0f), 0) << opcode;
    }
    auto* editor = new FakeEditor(plugin);
    EXPECT_EQ(plugin.descriptor()->flags & flagHasEditor, 1u);
    EXPECT_EQ(plugin.dispatch(opEditorRect, 0, 0, &rect, 0.0f), 1);
    ASSERT_EQ(rect, &editor->rect);
    EXPECT_EQ(rect->bottom, 226);
    EXPECT_EQ(rect->right, 238);
}

TEST_F(PluginBaseTest, FlagSettersChangeOnlyTheirOwnBit) {
    plugin.setFlagBit1(true);
    plugin.setFlagBit2(true);
    plugin.setFlagBit3(true);
    plugin.setReplacingFlag(true);
    plugin.setChunksFlag(true);
    plugin.setFlagBit8(true);
    plugin.setFlagBit11(true);
    EXPECT_EQ(plugin.descriptor()->flags, 0x93Eu);
    plugin.setFlagBit2(false);
    plugin.setFlagBit8(false);
    EXPECT_EQ(plugin.descriptor()->flags, 0x83Au);
}

TEST_F(PluginBaseTest, FloatToTextTruncatesIntoEightCharacters) {
    const float inf = std::numeric_limits<float>::infinity();
    const std::pair<float, const char*> cases[] = {
        {-1.5f, "-1.50000"},      {1234567.0f, "1234567."},  {1.0e9f, " Huge!  "},
        {-1.0e7f, " Huge!  "},    {123.45f, "123.4499"},     {0.5f, "0.500000"},
        {0.0f, "0.000000"},       {-9999999.0f, "-9999999"}, {-1234567.0f, "-1234567"},
        {-123456.0f, "-123456."}, {12345678.0f, "12345678"}, {inf, " Huge!  "}};
    for (const auto& [value, shown] : cases) {
        EXPECT_EQ(floatText(value), shown) << value;
    }
    EXPECT_EQ(floatText(std::numeric_limits<float>::quiet_NaN()).size(), 8u);
}

TEST_F(PluginBaseTest, IntegerAndDecibelTexts) {
    char out[32];
    plugin.intToText(42, out);
    EXPECT_STREQ(out, "     42");
    plugin.intToText(100000000, out);
    EXPECT_STREQ(out, " Huge!  ");
    plugin.intToText(-123456789, out);
    EXPECT_STREQ(out, "-1234567");
    plugin.decibelToText(0.0f, out);
    EXPECT_STREQ(out, "  -oo   ");
    plugin.decibelToText(1.0f, out);
    EXPECT_STREQ(out, "0.000000");
    plugin.decibelToText(10.0f, out);
    EXPECT_STREQ(out, "20.00000");
}

TEST_F(PluginBaseTest, SampleTextsUseTheSampleRate) {
    char out[32];
    plugin.setSampleRate(1000.0f);
    plugin.samplesToHzText(4.0f, out);
    EXPECT_STREQ(out, "250.0000");
    plugin.samplesToHzText(0.0f, out);
    EXPECT_STREQ(out, "0.000000");
    plugin.samplesToMsText(500.0f, out);
    EXPECT_STREQ(out, "500.0000");
}

TEST_F(PluginBaseTest, HostCallsAndTheirFallbacks) {
    EXPECT_EQ(plugin.hostVersion(), 2400);
    TestHost::answer = [](const RecordedCall& call) { return call.index == 1 ? 1 : 0; };
    EXPECT_EQ(plugin.hostVersion(), 1); // the host answered 0
    EXPECT_TRUE(plugin.inputConnected(0));
    EXPECT_FALSE(plugin.inputConnected(1));
    EXPECT_FALSE(plugin.outputConnected(1));
    const auto pins = TestHost::callsWith(hostOpPinConnected);
    ASSERT_EQ(pins.size(), 3u);
    EXPECT_EQ(pins[0].value, 0);
    EXPECT_EQ(pins[2].value, 1);
    EXPECT_EQ(pins[2].index, 1);
    for (const RecordedCall& call : TestHost::calls) {
        EXPECT_EQ(call.effect, plugin.descriptor());
    }

    TestPlugin orphan(nullptr);
    EXPECT_EQ(orphan.hostVersion(), 1);
    EXPECT_EQ(orphan.hostIdle(), 0);
    EXPECT_TRUE(orphan.inputConnected(1));
    EXPECT_TRUE(orphan.outputConnected(1));
    orphan.applyUserParam(1, 0.5f); // no callback: applied, nothing sent
    EXPECT_EQ(orphan.lastValue, 0.5f);
}

TEST_F(PluginBaseTest, ApplyUserParamWritesThenAutomates) {
    plugin.applyUserParam(3, 0.75f);
    EXPECT_EQ(plugin.lastIndex, 3);
    const auto automation = TestHost::callsWith(hostOpAutomate);
    ASSERT_EQ(automation.size(), 1u);
    EXPECT_EQ(automation[0].index, 3);
    EXPECT_EQ(automation[0].opt, 0.75f);
}
