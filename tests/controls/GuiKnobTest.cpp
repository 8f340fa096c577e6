#include "gui/controls/GuiKnob.h"

#include "gui/controls/GuiFilmstripKnob.h"
#include "gui/core/GuiOffscreenContext.h"
#include "tests/controls/ControlTestSupport.h"
#include "tests/gui/PixelProbe.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace chorus {
namespace {

using test::dragScript;
using test::left;
using test::makeBitmap;
using test::pixelAt;
using test::RecordingListener;
using test::ScriptedPlatform;
using Strings = std::vector<std::string>;

constexpr float tolerance = 1.0e-5f;

class Knob : public ::testing::Test {
protected:
    void SetUp() override {
        knob = new GuiKnob({100, 100, 150, 150}, &listener, 1, nullptr, nullptr, {0, 0});
        fixture.frame->addChild(knob);
        knob->paint(surface);
    }
    void TearDown() override { GuiFrame::setRotaryMode(0); }

    // Presses at the first point (with the press's buttons) and drags through the rest, relative to the
    // knob's top-left corner.
    void drag(std::uint32_t buttons, std::vector<GuiPoint> path) {
        for (GuiPoint& p : path) {
            p = GuiPoint{p.h + 100, p.v + 100};
        }
        std::vector<GuiPoint> steps{path.front()};
        steps.insert(steps.end(), path.begin(), path.end());
        platform.script(dragScript(buttons, steps));
        fixture.frame->onMouseDown(surface, path.front());
    }

    ScriptedPlatform platform;
    test::FrameFixture fixture;
    GuiOffscreenContext surface{nullptr, 240, 230, colorBlack};
    RecordingListener listener;
    GuiKnob* knob = nullptr;
};

TEST_F(Knob, PointerPointFollowsTheDefaultArc) {
    EXPECT_EQ(knob->getPointerInset(), 3);
    const std::pair<float, GuiPoint> cases[] = {{0.0f, {9, 41}}, {1.0f, {41, 41}}, {0.5f, {25, 3}}};
    for (const auto& [v, expected] : cases) {
        knob->setValue(v);
        GuiPoint p;
        knob->pointForValue(p);
        EXPECT_EQ(p, expected) << v;
    }
    // A zero sweep or fine factor is refused: the default arc stays.
    knob->setFineFactor(0.0f);
    EXPECT_EQ(knob->getFineFactor(), GuiKnob::defaultFineFactor);
    knob->setArcSweep(0.0f);
    EXPECT_EQ(knob->getArcSweep(), GuiKnob::defaultArcSweep);
    GuiPoint p;
    knob->pointForValue(p);
    EXPECT_EQ(p, (GuiPoint{25, 3}));
}

TEST_F(Knob, ValueAtPointMapsTheArcAndPinsTheDeadArc) {
    EXPECT_NEAR(knob->valueAtPoint({25, 0}), 0.5f, tolerance);
    EXPECT_NEAR(knob->valueAtPoint({50, 25}), 5.0f / 6.0f, tolerance);
    EXPECT_NEAR(knob->valueAtPoint({0, 25}), 1.0f / 6.0f, tolerance);
    EXPECT_EQ(knob->valueAtPoint({40, 50}), 1.0f); // dead arc, maximum's half
    EXPECT_EQ(knob->valueAtPoint({10, 50}), 0.0f); // dead arc, minimum's half
    // The ends of the sweep.
    EXPECT_NEAR(knob->valueAtPoint({0, 50}), 0.0f, tolerance);
    EXPECT_NEAR(knob->valueAtPoint({50, 50}), 1.0f, tolerance);

    // A counter-clockwise sweep from the lower right mirrors it.
    knob->setArcStart(-0.7853982f);
    knob->setArcSweep(4.712389f);
    EXPECT_NEAR(knob->valueAtPoint({25, 0}), 0.5f, tolerance);
    EXPECT_NEAR(knob->valueAtPoint({0, 25}), 5.0f / 6.0f, tolerance);
    EXPECT_EQ(knob->valueAtPoint({10, 50}), 1.0f);
    EXPECT_EQ(knob->valueAtPoint({40, 50}), 0.0f);
}

TEST_F(Knob, CircularDragThroughTheDeadArcStaysPinnedAtTheMaximum) {
    // From the right (5/6) down into the dead arc, across it to the minimum's side, up the left side,
    // then back over the top.
    drag(left, {{50, 25}, {48, 40}, {40, 50}, {10, 50}, {0, 40}, {0, 25}, {25, 0}});
    const std::vector<float> values = listener.values();
    ASSERT_EQ(values.size(), 4u) << "5/6, max, (pinned: no change) ..., 0.5";
    EXPECT_NEAR(values[0], 5.0f / 6.0f, tolerance);
    EXPECT_EQ(values[2], 1.0f);
    EXPECT_NEAR(values[3], 0.5f, tolerance);
    EXPECT_EQ(knob->getValue(), values.back());
    EXPECT_EQ(fixture.gestures(), (Strings{"b1", "e1"}));
    EXPECT_EQ(fixture.frame->getFocusChild(), knob);
}

TEST_F(Knob, CircularDragFromTheMinimumSideStaysPinnedAtTheMinimum) {
    drag(left, {{0, 25}, {0, 45}, {10, 50}, {40, 50}, {50, 30}});
    EXPECT_EQ(knob->getValue(), 0.0f);
    for (float v : listener.values()) {
        EXPECT_LT(v, 0.5f);
    }
}

TEST_F(Knob, EveryPollAsksForIdle) {
    drag(left, {{25, 0}, {26, 0}, {27, 0}, {28, 0}});
    // The press, five polls (four held, one released): one idle request after each poll.
    EXPECT_EQ(platform.inputReads(), 6);
    EXPECT_EQ(fixture.editor.pumps, 5);
}

TEST_F(Knob, LinearDragCoversTheRangeIn200PixelsAndShiftSlowsWithoutAJump) {
    GuiFrame::setRotaryMode(GuiKnob::linearRotaryMode);
    knob->setValue(0.2f);
    knob->paint(surface);
    // 40 right; Shift pressed without moving; 30 more right finely (300 pixels for the range); Shift
    // released; 10 up.
    const std::vector<ScriptedPlatform::Step> steps = {{left, {110, 110}},
                                                       {left, {110, 110}},
                                                       {left, {150, 110}},
                                                       {left | test::shift, {150, 110}},
                                                       {left | test::shift, {180, 110}},
                                                       {left, {180, 110}},
                                                       {left, {180, 100}},
                                                       {0, {180, 100}}};
    platform.script(steps);
    fixture.frame->onMouseDown(surface, {110, 110});
    const std::vector<float> values = listener.values();
    ASSERT_EQ(values.size(), 3u);
    EXPECT_NEAR(values[0], 0.4f, tolerance);
    EXPECT_NEAR(values[1], 0.5f, tolerance);
    EXPECT_NEAR(values[2], 0.55f, tolerance);
    EXPECT_EQ(fixture.gestures(), (Strings{"b1", "e1"}));

    // The whole range and no further.
    listener.changes.clear();
    knob->setValue(0.0f);
    knob->paint(surface);
    drag(left, {{0, 0}, {100, 0}, {200, 0}, {300, 0}});
    ASSERT_EQ(listener.values().size(), 2u);
    EXPECT_NEAR(listener.values()[0], 0.5f, tolerance);
    EXPECT_NEAR(listener.values()[1], 1.0f, tolerance);
    EXPECT_EQ(knob->getValue(), 1.0f);
}

TEST_F(Knob, AltSwapsTheDragMode) {
    // Circular mode, but with Alt the travel counts: 20 pixels up raise the value by 0.1.
    knob->setValue(0.3f);
    knob->paint(surface);
    drag(left | test::alt, {{10, 40}, {10, 20}});
    EXPECT_NEAR(knob->getValue(), 0.4f, tolerance);

    GuiFrame::setRotaryMode(GuiKnob::linearRotaryMode);
    drag(left | test::alt, {{50, 25}, {50, 25}}); // linear mode with Alt: circular, the click angle counts
    EXPECT_NEAR(knob->getValue(), 5.0f / 6.0f, tolerance);
}

TEST_F(Knob, CtrlClickResetsWithoutAGesture) {
    knob->setResetValue(0.25f);
    knob->setValue(0.9f);
    knob->paint(surface);
    platform.script({{left | test::ctrl, {120, 120}}});
    fixture.frame->onMouseDown(surface, {120, 120});
    EXPECT_EQ(knob->getValue(), 0.25f);
    EXPECT_EQ(listener.values(), (std::vector<float>{0.25f}));
    EXPECT_TRUE(fixture.gestures().empty());
    EXPECT_EQ(fixture.frame->getFocusChild(), nullptr);
    EXPECT_EQ(platform.inputReads(), 1);
}

TEST_F(Knob, ArrowKeysStepByTheWheelStepAndTheFineBitByATenth) {
    knob->setValue(0.5f);
    knob->paint(surface);
    const std::tuple<std::uint8_t, std::uint8_t, float> cases[] = {
        {12, 0, 0.6f}, {13, 0, 0.7f}, {11, 0, 0.6f}, {14, 0, 0.5f}, {13, 1, 0.51f}, {14, 1, 0.5f}};
    for (const auto& [key, modifiers, expected] : cases) {
        const GuiKeyRecord record{0, key, modifiers};
        EXPECT_EQ(knob->onKeyPressed(record), 1);
        EXPECT_NEAR(knob->getValue(), expected, tolerance) << int{key} << "/" << int{modifiers};
    }
    EXPECT_EQ(listener.changes.size(), 6u);
    EXPECT_EQ(fixture.gestures().size(), 12u);
    for (std::uint8_t other : {std::uint8_t{10}, std::uint8_t{15}, std::uint8_t{0}}) {
        EXPECT_EQ(knob->onKeyPressed(GuiKeyRecord{0, other, 0}), -1);
    }
    EXPECT_EQ(fixture.gestures().size(), 12u);
    // Clamped at the ends; no change means no notification.
    knob->setValue(0.95f);
    knob->paint(surface);
    knob->onKeyPressed(GuiKeyRecord{0, 12, 0});
    knob->onKeyPressed(GuiKeyRecord{0, 12, 0});
    EXPECT_EQ(knob->getValue(), 1.0f);
    EXPECT_EQ(listener.changes.size(), 7u);
    // The frame routes keys to the focus child first.
    fixture.frame->setFocusChild(knob);
    EXPECT_EQ(fixture.frame->onKeyPressed(GuiKeyRecord{0, 11, 0}), 1);
    EXPECT_NEAR(knob->getValue(), 0.9f, tolerance);
}

TEST_F(Knob, WheelTurnsByDistanceTimesStep) {
    knob->setValue(0.5f);
    knob->paint(surface);
    platform.script({{0, {0, 0}}});
    EXPECT_TRUE(knob->onWheelTurned(&surface, {}, 2.0f));
    EXPECT_NEAR(knob->getValue(), 0.7f, tolerance);
    platform.script({{test::shift, {0, 0}}});
    EXPECT_TRUE(knob->onWheelTurned(&surface, {}, -1.0f));
    EXPECT_NEAR(knob->getValue(), 0.69f, tolerance);
    EXPECT_FALSE(knob->onWheelTurned(&surface, {}, std::numeric_limits<float>::quiet_NaN()));
    knob->setAcceptsMouse(false);
    EXPECT_FALSE(knob->onWheelTurned(&surface, {}, 1.0f));
    EXPECT_NEAR(knob->getValue(), 0.69f, tolerance);
    EXPECT_EQ(listener.changes.size(), 2u);
    EXPECT_EQ(fixture.gestures(), (Strings{"b1", "e1", "b1", "e1"}));
}

TEST_F(Knob, LinePointerIsAShadowWithThePointerOnePixelUpRight) {
    GuiOffscreenContext canvas(nullptr, 60, 60, colorBlack);
    auto* plain = new GuiKnob({0, 0, 50, 50}, nullptr, -1, nullptr, nullptr, {0, 0});
    plain->setPointerColor(colorYellow);
    plain->setValue(0.5f); // pointer straight up: shadow column 24, pointer column 25
    plain->paint(canvas);
    EXPECT_EQ(pixelAt(canvas.getDC(), 24, 10), colorGrey);
    EXPECT_EQ(pixelAt(canvas.getDC(), 25, 10), colorYellow);
    EXPECT_EQ(pixelAt(canvas.getDC(), 26, 10), colorBlack);
    plain->release();
}

TEST_F(Knob, PointerBitmapSetsTheInsetAndSurvivesBeingSetAgain) {
    GuiBitmap* pointer = makeBitmap(7, 7, [](int, int) { return colorRed; });
    knob->setPointerBitmap(pointer);
    EXPECT_EQ(knob->getPointerInset(), 6); // trunc(7 x 0.5 + 2.5)
    EXPECT_EQ(pointer->getRetainCount(), 2);
    knob->setPointerBitmap(pointer);
    EXPECT_EQ(pointer->getRetainCount(), 2);
    knob->setPointerBitmap(nullptr);
    EXPECT_EQ(knob->getPointerInset(), 6);
    EXPECT_EQ(pointer->getRetainCount(), 1);
    pointer->release();
}

// A strip of 65 frames of 42 pixels, each frame in its own colour.
GuiColor frameColour(int frame) {
    return GuiColor{static_cast<std::uint8_t>(frame * 3), 40, static_cast<std::uint8_t>(250 - frame * 3), 0};
}

TEST(FilmstripKnob, ValueSelectsTheFrameByTruncation) {
    ScriptedPlatform platform;
    GuiBitmap* strip = makeBitmap(42, 2730, [](int, int y) { return frameColour(y / 42); });
    auto* knob = new GuiFilmstripKnob({10, 10, 52, 52}, nullptr, 1, 65, 42, strip, {0, 0});
    strip->release();
    EXPECT_EQ(knob->getPointerInset(), 0);
    const std::pair<float, int> cases[] = {
        {0.0f, 0},    {0.5f, 32}, {0.999f, 63}, {1.0f, 64},
        {0.0155f, 0}, {1.7f, 64}, {-0.2f, 0},   {std::numeric_limits<float>::quiet_NaN(), 0}};
    GuiOffscreenContext canvas(nullptr, 60, 60, colorBlack);
    for (const auto& [v, frame] : cases) {
        knob->setValue(v);
        EXPECT_EQ(knob->frameOffset(), frame * 42) << v;
        knob->paint(canvas);
        EXPECT_EQ(pixelAt(canvas.getDC(), 30, 30), frameColour(frame)) << v;
    }
    knob->release();

    // A strip without frame height or frames never loops and shows the top.
    auto* flat = new GuiFilmstripKnob({0, 0, 42, 0}, nullptr, 1, 65, 0, nullptr, {0, 0});
    flat->setValue(0.5f);
    EXPECT_EQ(flat->frameOffset(), 0);
    flat->release();
}

} // namespace
} // namespace chorus
