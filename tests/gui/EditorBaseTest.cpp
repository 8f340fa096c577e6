#include "plugin/EditorBase.h"

#include "gui/core/GuiFrame.h"
#include "tests/gui/RecordingView.h"
#include "tests/gui/ScriptedPlatform.h"
#include "tests/gui/TestHost.h"

#include <cstring>
#include <gtest/gtest.h>
#include <windows.h>

namespace chorus {
namespace {

constexpr int32_t hostIdleOp = 3;

class EditorBaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform.setTime(1000);
        effect = new test::RecordingEffect();
        editor = new test::TestEditor(effect);
    }
    void TearDown() override { delete effect; }

    std::size_t hostIdles() const { return effect->calls(hostIdleOp).size(); }

    test::ScriptedPlatform platform;
    test::RecordingEffect* effect = nullptr;
    test::TestEditor* editor = nullptr;
};

TEST_F(EditorBaseTest, RegistersWithItsEffect) {
    EXPECT_EQ(effect->getEditor(), editor);
    EXPECT_EQ(effect->descriptor()->flags & 0x01u, 0x01u);
    EXPECT_EQ(editor->getNextIdleTime(), 1000u);
    EXPECT_EQ(editor->ticks(), 1000u);
}

TEST_F(EditorBaseTest, ReportsItsRectangleAsFourSixteenBitValues) {
    editor->setRect({1, 2, 226, 238});
    EditorRect* rect = nullptr;
    EXPECT_EQ(editor->editorRect(&rect), 1);
    ASSERT_NE(rect, nullptr);
    std::int16_t raw[4];
    std::memcpy(raw, rect, sizeof raw);
    EXPECT_EQ(raw[0], 1);   // top
    EXPECT_EQ(raw[1], 2);   // left
    EXPECT_EQ(raw[2], 226); // bottom
    EXPECT_EQ(raw[3], 238); // right
    EXPECT_EQ(editor->editorRect(nullptr), 0);
}

TEST_F(EditorBaseTest, RedrawRequestsAreServedOnceByIdle) {
    int parent = 0;
    EXPECT_EQ(editor->openEditor(&parent), 0);
    EXPECT_EQ(editor->getParentWindow(), &parent);
    EXPECT_TRUE(editor->isRedrawPending());
    editor->editorIdle();
    editor->editorIdle();
    EXPECT_EQ(editor->redraws, 1);
    editor->paramChanged(2, 0.5f);
    editor->editorIdle();
    EXPECT_EQ(editor->redraws, 2);
}

TEST_F(EditorBaseTest, RequestsNeedingAFrameFailWithoutOne) {
    KeyRecord key{0, 11, 0};
    EXPECT_EQ(editor->keyDown(&key), -1);
    EXPECT_EQ(editor->keyUp(&key), -1);
    EXPECT_FALSE(editor->wheel(1.0f));
    editor->drawNow();
}

TEST_F(EditorBaseTest, KnobModeReachesTheFrames) {
    EXPECT_EQ(editor->setKnobMode(2), 1);
    GuiFrame* frame = new GuiFrame({0, 0, 10, 10}, nullptr, editor);
    EXPECT_EQ(frame->getRotaryMode(), 2);
    EXPECT_EQ(editor->setKnobMode(0), 1);
    EXPECT_EQ(frame->getRotaryMode(), 0);
    frame->release();
}

TEST_F(EditorBaseTest, IdlePumpThrottlesToOneFullPassPerDeadline) {
    editor->idlePump(); // at the deadline: a full pass
    EXPECT_EQ(editor->idleCalls, 1);
    EXPECT_EQ(hostIdles(), 1u);
    EXPECT_TRUE(platform.sleeps().empty());
    EXPECT_EQ(editor->getNextIdleTime(), 1100u);

    platform.advance(5); // 1005: early, sleeps and returns
    editor->idlePump();
    EXPECT_EQ(editor->idleCalls, 1);
    EXPECT_EQ(hostIdles(), 1u);
    EXPECT_EQ(platform.sleeps(), (std::vector<std::uint32_t>{4}));

    platform.setTime(1045); // 1045 + 4 is still before 1050
    editor->idlePump();
    EXPECT_EQ(editor->idleCalls, 1);
    platform.setTime(1046); // 1046 + 4 reaches the deadline minus 50
    editor->idlePump();
    EXPECT_EQ(editor->idleCalls, 2);
    EXPECT_EQ(hostIdles(), 2u);
    EXPECT_EQ(editor->getNextIdleTime(), 1150u);
    EXPECT_EQ(platform.sleeps().size(), 3u);

    platform.setTime(1050 + 60); // 60 ms after the pass: another full pass after a sleep
    editor->idlePump();
    EXPECT_EQ(editor->idleCalls, 3);
    EXPECT_EQ(editor->getNextIdleTime(), 1214u);

    platform.setTime(1300); // past the deadline: no sleep
    editor->idlePump();
    EXPECT_EQ(editor->idleCalls, 4);
    EXPECT_EQ(platform.sleeps().size(), 4u);
}

TEST_F(EditorBaseTest, IdleDoesNothingWhileTheHostIdleCallRuns) {
    bool sawPump = false;
    effect->onCall = [&](int32_t opcode) {
        if (opcode == hostIdleOp) {
            sawPump = editor->isInPump();
            editor->requestRedraw();
            editor->editorIdle(); // the host answering with an editor-idle request
        }
    };
    editor->idlePump();
    EXPECT_TRUE(sawPump);
    EXPECT_FALSE(editor->isInPump());
    EXPECT_EQ(editor->redraws, 0);
    EXPECT_TRUE(editor->isRedrawPending());
    editor->editorIdle();
    EXPECT_EQ(editor->redraws, 1);
}

TEST_F(EditorBaseTest, IdlePumpDispatchesAPendingPaint) {
    test::HostWindow host;
    GuiFrame* frame = new GuiFrame({0, 0, 100, 100}, host.get(), editor);
    editor->setFrame(frame);
    EXPECT_TRUE(frame->isFirstPaintPending());
    editor->idlePump();
    EXPECT_FALSE(frame->isFirstPaintPending());
}

TEST_F(EditorBaseTest, ClosingTheEffectTearsDownAnOpenFrame) {
    test::HostWindow host;
    std::vector<std::string> log;
    GuiFrame* frame = new GuiFrame({0, 0, 100, 100}, host.get(), editor);
    editor->setFrame(frame);
    frame->addChild(new test::RecordingView("v", {0, 0, 10, 10}, log));
    const HWND window = frame->getWindow();
    ASSERT_TRUE(IsWindow(window));
    delete effect; // host closes the plug-in without closing the editor
    effect = nullptr;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(log.back(), "v.destroyed");
}

} // namespace
} // namespace chorus
