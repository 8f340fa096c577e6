#include "gui/controls/GuiButtonGroup.h"
#include "gui/controls/GuiGroupButton.h"
#include "gui/controls/GuiMomentaryButton.h"
#include "gui/controls/GuiToggleButton.h"
#include "gui/core/GuiOffscreenContext.h"
#include "tests/controls/ControlTestSupport.h"
#include "tests/gui/PixelProbe.h"

#include <cmath>
#include <gtest/gtest.h>

namespace chorus {
namespace {

using test::dragScript;
using test::left;
using test::makeBitmap;
using test::pixelAt;
using test::RecordingListener;
using test::ScriptedPlatform;
using Strings = std::vector<std::string>;

constexpr GuiColor offColour{200, 0, 0, 0};
constexpr GuiColor onColour{0, 200, 0, 0};

// Off image above the on image, each width x half.
GuiBitmap* twoStateBitmap(int width, int half) {
    return makeBitmap(width, 2 * half, [half](int, int y) { return y < half ? offColour : onColour; });
}

class Buttons : public ::testing::Test {
protected:
    ScriptedPlatform platform;
    test::FrameFixture fixture;
    GuiOffscreenContext surface{nullptr, 240, 230, colorBlack};
    RecordingListener listener;
};

TEST_F(Buttons, ToggleFlipsOnEveryPressInsideOneGestureAndPaintsItsState) {
    GuiBitmap* bitmap = twoStateBitmap(20, 10);
    auto* button = new GuiToggleButton({10, 10, 30, 20}, &listener, 3, bitmap);
    bitmap->release();
    fixture.frame->addChild(button);

    button->setValue(0.7f); // the integer part is 0: counts as off
    platform.script({{left, {15, 15}}});
    fixture.frame->onMouseDown(surface, {15, 15});
    EXPECT_EQ(button->getValue(), 1.0f);
    platform.script({{left, {15, 15}}});
    fixture.frame->onMouseDown(surface, {15, 15});
    EXPECT_EQ(button->getValue(), 0.0f);
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f}));
    EXPECT_EQ(fixture.gestures(), (Strings{"b3", "e3", "b3", "e3"}));

    // Only the primary button presses it, and not while it refuses the mouse.
    platform.script({{GuiPlatform::physicalRight, {15, 15}}});
    fixture.frame->onMouseDown(surface, {15, 15});
    button->setAcceptsMouse(false);
    platform.script({{left, {15, 15}}});
    button->onMouseDown(surface, {15, 15});
    EXPECT_EQ(button->getValue(), 0.0f);
    EXPECT_EQ(listener.changes.size(), 2u);

    // Any non-zero value paints the on image.
    button->setValue(0.3f);
    button->paint(surface);
    EXPECT_EQ(pixelAt(surface.getDC(), 15, 15), onColour);
    EXPECT_FALSE(button->needsRedraw());
    button->setValue(0.0f);
    button->paint(surface);
    EXPECT_EQ(pixelAt(surface.getDC(), 15, 15), offColour);
    EXPECT_EQ(pixelAt(surface.getDC(), 31, 15), colorBlack); // nothing beyond the bounds
}

class Group : public Buttons {
protected:
    void SetUp() override {
        GuiBitmap* bitmaps[3] = {twoStateBitmap(34, 16), twoStateBitmap(34, 16), twoStateBitmap(34, 16)};
        const std::int32_t xs[3] = {52, 90, 128};
        const std::int32_t ys[3] = {121, 121, 121};
        group = new GuiButtonGroup({52, 121, 161, 136}, &listener, 10, 3, xs, ys, bitmaps);
        for (GuiBitmap* bitmap : bitmaps) {
            bitmap->release();
        }
        fixture.frame->addChild(group);
    }
    void click(GuiPoint where) {
        platform.script({{left, where}});
        fixture.frame->onMouseDown(surface, where);
    }

    GuiButtonGroup* group = nullptr;
};

TEST_F(Group, ValueLightsTheMemberWhoseHalfStepItPasses) {
    EXPECT_EQ(group->getStep(), 0.5f);
    EXPECT_EQ(group->litMember(), 0);
    EXPECT_EQ(group->getMember(1)->getBounds(), (GuiRect{90, 121, 124, 137}));
    const std::pair<float, int> cases[] = {{0.24f, 0}, {0.25f, 1}, {0.76f, 2},
                                           {0.5f, 1},  {1.0f, 2},  {0.0f, 0}};
    for (const auto& [v, lit] : cases) {
        group->setValue(v);
        EXPECT_EQ(group->litMember(), lit) << v;
        EXPECT_EQ(group->getValue(), v);
        int litCount = 0;
        for (int i = 0; i < 3; ++i) {
            litCount += group->getMember(i)->getValue() != 0.0f ? 1 : 0;
        }
        EXPECT_EQ(litCount, 1) << v;
    }
    group->setValue(1.3f); // beyond every member's half step: none lit
    EXPECT_EQ(group->litMember(), -1);
    EXPECT_TRUE(listener.changes.empty());
}

TEST_F(Group, ClickTellsTheListenerOncePerChangeAndNeverForTheLitMember) {
    click({130, 125});
    EXPECT_EQ(group->getValue(), 1.0f);
    EXPECT_EQ(group->litMember(), 2);
    ASSERT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(listener.changes[0].control, group);
    click({140, 130}); // the lit member again
    EXPECT_EQ(listener.changes.size(), 1u);
    EXPECT_EQ(group->litMember(), 2);
    click({92, 121}); // member 1, on its top-left corner
    EXPECT_EQ(group->getValue(), 0.5f);
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.5f}));
    // The group brackets every click; the members send nothing of their own.
    EXPECT_EQ(fixture.gestures(), (Strings{"b10", "e10", "b10", "e10", "b10", "e10"}));
}

TEST_F(Group, PaintShowsEachMemberInItsState) {
    group->setValue(0.5f);
    group->paint(surface);
    EXPECT_EQ(pixelAt(surface.getDC(), 60, 125), offColour);
    EXPECT_EQ(pixelAt(surface.getDC(), 100, 125), onColour);
    EXPECT_EQ(pixelAt(surface.getDC(), 140, 125), offColour);
}

TEST_F(Buttons, GroupsOfFewerThanTwoMembersKeepAFiniteStep) {
    GuiBitmap* bitmap = twoStateBitmap(10, 5);
    const std::int32_t xs[1] = {0};
    const std::int32_t ys[1] = {0};
    auto* single = new GuiButtonGroup({0, 0, 10, 5}, &listener, 1, 1, xs, ys, &bitmap);
    EXPECT_TRUE(std::isfinite(single->getStep()));
    EXPECT_EQ(single->litMember(), 0);
    platform.script({{left, {2, 2}}});
    single->onMouseDown(surface, {2, 2});
    EXPECT_TRUE(listener.changes.empty()); // the lone member was lit already
    single->setValue(0.3f);
    EXPECT_EQ(single->litMember(), 0);
    auto* empty = new GuiButtonGroup({0, 0, 10, 5}, &listener, 1, 0, xs, ys, &bitmap);
    EXPECT_TRUE(std::isfinite(empty->getStep()));
    empty->setValue(0.7f);
    EXPECT_EQ(empty->litMember(), -1);
    single->release();
    empty->release();
    bitmap->release();
}

class Momentary : public Buttons {
protected:
    void SetUp() override {
        GuiBitmap* bitmap = twoStateBitmap(20, 10);
        button = new GuiMomentaryButton({10, 10, 30, 20}, &listener, 4, 10, bitmap, {0, 0});
        bitmap->release();
        fixture.frame->addChild(button);
        button->paint(surface); // shown once, as the frame's first paint does
    }
    GuiMomentaryButton* button = nullptr;
};

TEST_F(Momentary, TrackingLightsItOnlyWhileTheMouseIsOverItAndSendsAFinalOff) {
    // Held on the button, then dragged off it, then released there.
    platform.script(dragScript(left, {{15, 15}, {15, 15}, {16, 15}, {60, 15}, {61, 15}}));
    fixture.frame->onMouseDown(surface, {15, 15});
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f, 0.0f}));
    EXPECT_EQ(button->getValue(), 0.0f);
    EXPECT_EQ(fixture.gestures(), (Strings{"b4", "e4"}));
    EXPECT_GE(fixture.editor.pumps, 4); // idle asked for on every poll

    // Coming back onto the button lights it again.
    listener.changes.clear();
    platform.script(dragScript(left, {{15, 15}, {15, 15}, {60, 15}, {30, 20}, {30, 20}}));
    fixture.frame->onMouseDown(surface, {15, 15});
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f, 1.0f, 0.0f}));
}

TEST_F(Momentary, ModifiedClickPulsesWithoutTracking) {
    platform.script({{left | test::shift, {15, 15}}, {left | test::shift, {15, 15}}});
    fixture.frame->onMouseDown(surface, {15, 15});
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f}));
    EXPECT_EQ(platform.inputReads(), 1); // the press only: no tracking loop
    EXPECT_EQ(fixture.gestures(), (Strings{"b4", "e4"}));

    listener.changes.clear();
    platform.script({{left | GuiPlatform::physicalRight, {15, 15}}}); // a second button also pulses
    fixture.frame->onMouseDown(surface, {15, 15});
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f}));
}

TEST_F(Momentary, PaintsTheOnImageAnImageHeightBelowTheOrigin) {
    button->setValue(1.0f);
    button->paint(surface);
    EXPECT_EQ(pixelAt(surface.getDC(), 20, 15), onColour);
    button->setValue(0.0f);
    button->paint(surface);
    EXPECT_EQ(pixelAt(surface.getDC(), 20, 15), offColour);
}

} // namespace
} // namespace chorus
