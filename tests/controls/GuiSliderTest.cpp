#include "gui/controls/GuiHorizontalSlider.h"
#include "gui/controls/GuiVerticalSlider.h"
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

constexpr float tolerance = 1.0e-5f;
constexpr GuiColor scaleColour{30, 60, 90, 0};
constexpr GuiColor thumbColour{200, 100, 0, 0};
constexpr std::int32_t top = 20;
constexpr std::int32_t sliderLeft = 50;

// A vertical slider with value 0 at the bottom: 100 pixels of travel for a thumb 12 wide and 10 high.
class Slider : public ::testing::Test {
protected:
    void SetUp() override {
        GuiBitmap* thumb = makeBitmap(12, 10, [](int, int) { return thumbColour; });
        GuiBitmap* scale = makeBitmap(100, 200, [](int, int) { return scaleColour; });
        slider = new GuiVerticalSlider({sliderLeft, top, sliderLeft + 12, top + 110}, &listener, 4, top,
                                       top + 100, thumb, scale, {0, 0}, sliderFromBottom);
        thumb->release();
        scale->release();
        fixture.frame->addChild(slider);
        slider->paint(surface);
    }
    void press(std::uint32_t buttons, std::vector<std::int32_t> ys) {
        std::vector<GuiPoint> path;
        path.push_back({sliderLeft + 5, top + ys.front()});
        for (std::int32_t y : ys) {
            path.push_back({sliderLeft + 5, top + y});
        }
        path.push_back(path.back()); // the position read last is applied at the next poll
        platform.script(dragScript(buttons, path));
        fixture.frame->onMouseDown(surface, path.front());
    }

    ScriptedPlatform platform;
    test::FrameFixture fixture;
    GuiOffscreenContext surface{nullptr, 240, 230, colorBlack};
    RecordingListener listener;
    GuiSlider* slider = nullptr;
};

TEST_F(Slider, ThumbSitsAtTravelTimesTheReversedValue) {
    EXPECT_EQ(slider->getTravel(), 100);
    EXPECT_EQ(slider->getStartPosition(), 0);
    EXPECT_EQ(slider->getStyle(), sliderFromBottom | sliderVertical);
    const std::pair<float, std::int32_t> cases[] = {{1.0f, 0}, {0.0f, 100}, {0.25f, 75}, {-0.5f, 100}};
    for (const auto& [v, thumbTop] : cases) {
        slider->setValue(v);
        EXPECT_EQ(slider->thumbRect().top, thumbTop) << v;
    }
    slider->setValue(0.25f);
    EXPECT_EQ(slider->thumbRect(), (GuiRect{0, 75, 12, 85}));
    // Outside the range the whole thumb stays at the end.
    slider->setValue(-0.5f);
    EXPECT_EQ(slider->thumbRect(), (GuiRect{0, 100, 12, 110}));
    slider->setValue(1.5f);
    EXPECT_EQ(slider->thumbRect(), (GuiRect{0, 0, 12, 10}));
}

TEST_F(Slider, PaintComposesBackgroundAndThumbInOneCopy) {
    slider->setValue(0.25f);
    slider->paint(surface);
    const GuiDCHandle dc = surface.getDC();
    EXPECT_EQ(pixelAt(dc, sliderLeft + 5, top + 80), thumbColour);
    EXPECT_EQ(pixelAt(dc, sliderLeft + 5, top + 74), scaleColour);
    EXPECT_EQ(pixelAt(dc, sliderLeft + 5, top + 86), scaleColour);
    EXPECT_EQ(pixelAt(dc, sliderLeft + 13, top + 80), colorBlack); // outside the slider
    EXPECT_FALSE(slider->needsRedraw());
}

TEST_F(Slider, OffscreenSurfaceExistsExactlyWhileAttached) {
    ASSERT_NE(slider->getOffscreen(), nullptr);
    EXPECT_EQ(slider->getOffscreen()->getWidth(), 12);
    EXPECT_EQ(slider->getOffscreen()->getHeight(), 110);
    slider->retain();
    fixture.frame->removeChild(slider, true);
    EXPECT_EQ(slider->getOffscreen(), nullptr);
    slider->setValue(0.7f);
    slider->paint(surface); // without its surface it draws nothing and stays out of date
    EXPECT_TRUE(slider->needsRedraw());
    fixture.frame->addChild(slider);
    EXPECT_NE(slider->getOffscreen(), nullptr);
}

TEST_F(Slider, ClickAnywhereCentresTheThumbUnderTheMouse) {
    press(left, {55});
    EXPECT_NEAR(slider->getValue(), 0.49f, tolerance); // (55 - 4) / 100 from the bottom
    press(left, {55, 35, 200});
    EXPECT_NEAR(listener.values().at(1), 0.69f, tolerance);
    EXPECT_EQ(slider->getValue(), 0.0f); // clamped below the end
    EXPECT_EQ(fixture.gestures(), (Strings{"b4", "e4", "b4", "e4"}));
    EXPECT_EQ(fixture.frame->getFocusChild(), slider);
}

TEST_F(Slider, WithoutClickAnywhereOnlyTheThumbGrabsAndKeepsTheGrabPoint) {
    slider->setClickAnywhere(false);
    slider->setValue(0.25f); // thumb 75 to 85
    slider->paint(surface);
    press(left, {80});
    EXPECT_EQ(slider->getValue(), 0.25f);
    EXPECT_TRUE(listener.changes.empty());
    press(left, {80, 70});
    EXPECT_NEAR(slider->getValue(), 0.35f, tolerance);
    EXPECT_EQ(fixture.gestures().size(), 4u);

    listener.changes.clear();
    press(left, {90, 20}); // below the thumb
    EXPECT_NEAR(slider->getValue(), 0.35f, tolerance);
    EXPECT_TRUE(listener.changes.empty());
    EXPECT_EQ(fixture.gestures().size(), 4u);
    platform.script(dragScript(
        left, {{sliderLeft + 20, top + 70}, {sliderLeft + 20, top + 10}, {sliderLeft + 20, top + 10}}));
    slider->onMouseDown(surface, {sliderLeft + 20, top + 70}); // beside the thumb
    EXPECT_NEAR(slider->getValue(), 0.35f, tolerance);
}

TEST_F(Slider, ShiftMovesATenthAsFastFromTheCurrentValue) {
    slider->setValue(0.5f);
    slider->paint(surface);
    press(left | test::shift, {55, 45});
    EXPECT_NEAR(listener.values().at(0), 0.499f, tolerance);
    EXPECT_NEAR(slider->getValue(), 0.509f, tolerance); // 10 pixels: a tenth of 0.1

    // Pressed in mid-drag, Shift continues from where the value is; released, the thumb jumps back
    // under the mouse. Each poll applies the position read at the poll before, so every step is doubled.
    slider->setValue(0.5f);
    slider->paint(surface);
    listener.changes.clear();
    const std::uint32_t fine = left | test::shift;
    const std::vector<ScriptedPlatform::Step> steps = {
        {left, {55, top + 54}}, {left, {55, top + 54}}, {left, {55, top + 44}}, {left, {55, top + 44}},
        {fine, {55, top + 44}}, {fine, {55, top + 24}}, {fine, {55, top + 24}}, {fine, {55, top + 4}},
        {fine, {55, top + 4}},  {left, {55, top + 4}},  {0, {55, top + 4}}};
    platform.script(steps);
    fixture.frame->onMouseDown(surface, {55, top + 54});
    const std::vector<float> values = listener.values();
    ASSERT_EQ(values.size(), 4u);
    EXPECT_NEAR(values[0], 0.6f, tolerance);
    EXPECT_NEAR(values[1], 0.62f, tolerance);
    EXPECT_NEAR(values[2], 0.64f, tolerance);
    EXPECT_NEAR(values[3], 1.0f, tolerance);
}

TEST_F(Slider, CtrlClickResetsWithoutAGesture) {
    slider->setResetValue(0.8f);
    press(left | test::ctrl, {10});
    EXPECT_EQ(slider->getValue(), 0.8f);
    EXPECT_EQ(listener.values(), (std::vector<float>{0.8f}));
    EXPECT_TRUE(fixture.gestures().empty());
    EXPECT_EQ(fixture.frame->getFocusChild(), nullptr);
}

TEST_F(Slider, KeysAndWheelStepAsOnTheKnobs) {
    slider->setValue(0.5f);
    EXPECT_EQ(slider->onKeyPressed(GuiKeyRecord{0, 12, 0}), 1);
    EXPECT_NEAR(slider->getValue(), 0.6f, tolerance);
    EXPECT_EQ(slider->onKeyPressed(GuiKeyRecord{0, 20, 0}), -1);
    platform.script({{0, {}}});
    EXPECT_TRUE(slider->onWheelTurned(&surface, {}, -3.0f));
    EXPECT_NEAR(slider->getValue(), 0.3f, tolerance);
}

TEST(HorizontalSlider, ValueGrowsToTheRightFromTheLeftOrigin) {
    ScriptedPlatform platform;
    RecordingListener listener;
    GuiOffscreenContext surface(nullptr, 240, 230, colorBlack);
    GuiBitmap* thumb = makeBitmap(8, 6, [](int, int) { return thumbColour; });
    auto* slider = new GuiHorizontalSlider({10, 10, 118, 16}, &listener, 2, 10, 110, thumb, nullptr, {0, 0},
                                           sliderFromLeft);
    thumb->release();
    slider->setValue(0.3f);
    EXPECT_EQ(slider->thumbRect(), (GuiRect{30, 0, 38, 6}));
    platform.script(dragScript(left, {{63, 12}, {63, 12}, {63, 12}}));
    slider->onMouseDown(surface, {63, 12});
    EXPECT_NEAR(slider->getValue(), 0.5f, tolerance); // (63 - (10 + 4 - 1)) / 100
    slider->release();
}

TEST(HorizontalSlider, NoTravelStaysAtTheStartInsteadOfDividingByZero) {
    ScriptedPlatform platform;
    GuiOffscreenContext surface(nullptr, 100, 100, colorBlack);
    auto* slider = new GuiHorizontalSlider({10, 10, 20, 16}, nullptr, 2, 10, 10, nullptr, nullptr, {0, 0},
                                           sliderFromLeft);
    platform.script(dragScript(left, {{15, 12}, {15, 12}, {40, 12}, {40, 12}}));
    slider->onMouseDown(surface, {15, 12});
    EXPECT_EQ(slider->getValue(), 0.0f);
    slider->release();
}

} // namespace
} // namespace chorus
