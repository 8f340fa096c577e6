#include "plugin/PluginBaseEx.h"

#include "FakeEditor.h"
#include "TestHost.h"

#include <gtest/gtest.h>

using chorus::PluginBaseEx;

namespace {

class ExtendedPlugin : public PluginBaseEx {
public:
    explicit ExtendedPlugin(HostCallback callback) : PluginBaseEx(callback, 2, 2) {}
    void processAdd(float**, float**, int32_t) override {}
};

class PluginBaseExTest : public ::testing::Test {
protected:
    void SetUp() override { TestHost::reset(); }
    intptr_t request(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr,
                     float opt = 0.0f) {
        return plugin.dispatch(opcode, index, value, ptr, opt);
    }
    ExtendedPlugin plugin{TestHost::callback};
};

} // namespace

TEST_F(PluginBaseExTest, ExtendedRequestsAnswerTheirDefaultsAndCategoryFollowsFlagBit8) {
    char word[] = "receiveEvents";
    EXPECT_EQ(request(opCapability, 0, 0, word), 0);
    EXPECT_EQ(request(opInterfaceVersion), 2200);
    EXPECT_EQ(request(57), 1);
    EXPECT_EQ(request(63), -1);
    EXPECT_EQ(request(26, 4), 1);
    EXPECT_EQ(request(28), 1);
    EXPECT_EQ(request(31, 0, 1), 1);
    EXPECT_EQ(request(32, 0, 1), 1);
    for (int32_t opcode : {25, 29, 30, 33, 34, 36, 37, 38, 39, 40, 41, 44, 45, 46,
                           48, 49, 52, 53, 54, 55, 56, 62, 64, 65, 66, 67, 68}) {
        EXPECT_EQ(request(opcode, 1, 1, nullptr, 1.0f), 0) << opcode;
    }
    EXPECT_EQ(request(69), 0);
    EXPECT_EQ(request(1000), 0);
    EXPECT_EQ(request(-1), 0);
    // Requests below 25 still reach the basic dispatcher.
    EXPECT_EQ(request(opIdentify), 0x57797262);

    EXPECT_EQ(request(opCategory), 0);
    plugin.setFlagBit8(true);
    EXPECT_EQ(request(opCategory), 2);
    EXPECT_EQ(request(opBlockSizeAndRate, 0, 512, nullptr, 48000.0f), 1);
    EXPECT_EQ(plugin.getBlockSize(), 512);
    EXPECT_EQ(plugin.getSampleRate(), 48000.0f);
}

TEST_F(PluginBaseExTest, KeyAndKnobRequestsNeedAnEditor) {
    EXPECT_EQ(request(opKeyDown, 'a', 0x41, nullptr, 3.0f), 0);
    EXPECT_EQ(request(opKeyUp, 'a', 0x41, nullptr, 3.0f), 0);
    EXPECT_EQ(request(opKnobMode, 0, 2), 0);

    auto* editor = new FakeEditor(plugin);
    editor->keyAnswer = 7;
    EXPECT_EQ(request(opKeyDown, 'q', 0x1234, nullptr, 5.9f), 7);
    EXPECT_EQ(editor->lastKey.character, 'q');
    EXPECT_EQ(editor->lastKey.virtualKey, 0x34);
    EXPECT_EQ(editor->lastKey.modifiers, 5);
    EXPECT_EQ(request(opKeyUp, 'q', 0, nullptr, 0.0f), -1); // the interface's default: not handled
    EXPECT_EQ(request(opKnobMode, 0, 2), 1);
    EXPECT_EQ(editor->knobMode, 2);
}

TEST_F(PluginBaseExTest, WrappersSendTheirRequestAndConvertTheAnswer) {
    TestHost::answer = [](const RecordedCall& call) { return call.opcode == 13 ? 5 : call.opcode + 100; };
    EXPECT_EQ(plugin.hostRequest6(9), 106);
    EXPECT_EQ(TestHost::calls.back().value, 9);
    EXPECT_TRUE(plugin.hostRequest13());
    EXPECT_TRUE(plugin.hostRequest15(3, 4));
    EXPECT_EQ(TestHost::calls.back().index, 3);
    EXPECT_EQ(TestHost::calls.back().value, 4);
    EXPECT_EQ(plugin.hostRequest16(), plugin.getSampleRate()); // the answer is ignored
    EXPECT_EQ(plugin.hostRequest17(), plugin.getBlockSize());
    int marker = 0;
    EXPECT_TRUE(plugin.hostRequest26(&marker, 11, 0x1FF));
    EXPECT_EQ(TestHost::calls.back().index, 0xFF);
    EXPECT_EQ(TestHost::calls.back().value, 11);
    EXPECT_EQ(TestHost::calls.back().ptr, &marker);
    EXPECT_EQ(plugin.hostRequest30(0.25f), 130);
    EXPECT_EQ(TestHost::calls.back().opt, 0.25f);
    EXPECT_EQ(plugin.hostRequest35(1, 2, &marker, 3.0f), 135);
    EXPECT_TRUE(plugin.beginParamGesture(4));
    EXPECT_EQ(TestHost::calls.back().opcode, hostOpBeginGesture);
    EXPECT_EQ(TestHost::calls.back().index, 4);
    EXPECT_TRUE(plugin.endParamGesture(4));
    EXPECT_EQ(TestHost::calls.back().opcode, hostOpEndGesture);
    for (const RecordedCall& call : TestHost::calls) {
        EXPECT_EQ(call.effect, plugin.descriptor());
    }

    const size_t before = TestHost::calls.size();
    EXPECT_FALSE(plugin.hostRequest45(nullptr));
    EXPECT_EQ(TestHost::calls.size(), before);
    EXPECT_TRUE(plugin.hostRequest45(&marker));

    ExtendedPlugin orphan(nullptr);
    EXPECT_EQ(orphan.hostRequest6(1), 0);
    EXPECT_FALSE(orphan.beginParamGesture(1));
}
