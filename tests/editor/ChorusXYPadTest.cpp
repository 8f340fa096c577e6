#include "editor/ChorusXYPad.h"

#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiFrame.h"
#include "tests/editor/EditorHarness.h"
#include "tests/gui/PixelProbe.h"
#include "tests/gui/TestHost.h"

#include <gtest/gtest.h>
#include <vector>
#include <windows.h>

namespace chorus::test {

namespace {

// The editor's pad: 146 x 84 pixels at (13, 31).
constexpr GuiRect padArea{13, 31, 159, 115};
constexpr GuiColor cyan{145, 227, 238, 0};

class ChorusXYPadTest : public ::testing::Test {
protected:
    ChorusXYPadTest() {
        frame = new GuiFrame({0, 0, 238, 226}, window.get(), nullptr);
        background = new GuiBitmap(1004);
        pad = new ChorusXYPad(padArea, nullptr, 9, background, padShowCurveA | padShowCurveB);
        frame->addChild(pad);
        pumpMessages();
    }
    ~ChorusXYPadTest() override {
        frame->release();
        background->release();
        pumpMessages();
    }
    // Paints the pad now and reads a pixel of it (pad coordinates).
    GuiColor shown(int x, int y) {
        HDC dc = GetDC(frame->getWindow());
        const GuiColor c = pixelAt(dc, padArea.left + x, padArea.top + y);
        ReleaseDC(frame->getWindow(), dc);
        return c;
    }
    void paint() {
        frame->redrawChild(pad);
        GdiFlush();
    }

    HostWindow window{40, 40, 300, 280};
    GuiFrame* frame = nullptr;
    GuiBitmap* background = nullptr;
    ChorusXYPad* pad = nullptr;
};

TEST_F(ChorusXYPadTest, HeightsBecomePixelOffsetsAboveTheBottomEdge) {
    ASSERT_EQ(pad->getPointCount(), 146);
    std::vector<float> half(146, 0.5f);
    pad->setCurveHeights(0, half.data(), 146);
    EXPECT_FLOAT_EQ(pad->getHeightPoint(0, 0), -41.5f); // (84 - 1) x 0.5
    EXPECT_FLOAT_EQ(pad->getHeightPoint(0, 144), -41.5f);
    EXPECT_FLOAT_EQ(pad->getHeightPoint(0, 145), 0.0f); // the last point lies on the baseline
    EXPECT_EQ(pad->rowOf(pad->getHeightPoint(0, 0)), 43);
    EXPECT_EQ(pad->rowOf(-(83.0f * 0.02f)), 83); // the pad's last row
    EXPECT_EQ(pad->rowOf(0.0f), 84);             // just below the pad
    EXPECT_EQ(pad->rowOf(-83.0f), 2);            // trunc(-82.5) cuts toward zero

    // Curve B is separate; an unknown curve, a null array and too many values change nothing or stop at
    // the curve's end.
    std::vector<float> quarter(200, 0.25f);
    pad->setCurveHeights(1, quarter.data(), 200);
    EXPECT_FLOAT_EQ(pad->getHeightPoint(1, 10), -20.75f);
    EXPECT_FLOAT_EQ(pad->getHeightPoint(1, 145), 0.0f);
    pad->setCurveHeights(2, quarter.data(), 146);
    pad->setCurveHeights(0, nullptr, 146);
    EXPECT_FLOAT_EQ(pad->getHeightPoint(0, 10), -41.5f);
}

TEST_F(ChorusXYPadTest, ColourNumberingAndRedrawRequests) {
    EXPECT_EQ(pad->getCurveColor(0), colorWhite);
    EXPECT_EQ(pad->getCurveColor(1), cyan);
    pad->setNeedsRedraw(false);
    pad->setCurveColor(0, colorRed);
    EXPECT_TRUE(pad->needsRedraw());
    EXPECT_EQ(pad->getCurveColor(0), colorWhite);
    EXPECT_EQ(pad->getCurveColor(1), cyan);
    pad->setCurveColor(2, colorGreen);
    EXPECT_EQ(pad->getCurveColor(1), colorGreen);
    pad->setCurveColor(1, colorYellow);
    EXPECT_EQ(pad->getCurveColor(0), colorYellow);

    pad->setNeedsRedraw(false);
    pad->setStageCount(3);
    pad->setShapeIndex(2);
    EXPECT_FALSE(pad->needsRedraw());
    EXPECT_EQ(pad->getStageCount(), 3);
    EXPECT_EQ(pad->getShapeIndex(), 2);
    const float one = 1.0f;
    pad->setCurveHeights(0, &one, 1);
    EXPECT_TRUE(pad->needsRedraw());
}

TEST_F(ChorusXYPadTest, TwoStagesDrawTwoGreyCopiesBehindBothCurves) {
    std::vector<float> half(146, 0.5f);
    std::vector<float> quarter(146, 0.25f);
    pad->setCurveHeights(0, half.data(), 146);
    pad->setCurveHeights(1, quarter.data(), 146);
    pad->setStageCount(2);
    paint();
    // Curve A on row 43 from column 0 to 143; copies 1 and 2 pixels to the right show past its end.
    EXPECT_EQ(shown(0, 43), colorWhite);
    EXPECT_EQ(shown(143, 43), colorWhite);
    EXPECT_EQ(shown(144, 43), (GuiColor{195, 195, 195, 0}));
    EXPECT_EQ(shown(145, 43), (GuiColor{180, 180, 180, 0}));
    // Curve B on row trunc(-20.75 + 0.5) + 84 = 64.
    EXPECT_EQ(shown(70, 64), cyan);

    // One stage: no copies; the pad's own background shows there.
    pad->setStageCount(1);
    paint();
    EXPECT_NE(shown(144, 43), (GuiColor{195, 195, 195, 0}));
    EXPECT_NE(shown(145, 43), (GuiColor{180, 180, 180, 0}));
    const std::vector<GuiColor> panel = bitmapPixels(background);
    EXPECT_EQ(shown(145, 43), panel[static_cast<std::size_t>(43 * background->getWidth() + 145)]);
    EXPECT_EQ(shown(5, 5), panel[static_cast<std::size_t>(5 * background->getWidth() + 5)]);

    // A step down at column 70 leaves each copy's old level visible for as many columns as it is shifted:
    // four stages show six copies, the farthest darkest; two stages only two.
    for (int x = 70; x < 146; ++x) {
        half[static_cast<std::size_t>(x)] = 0.25f;
    }
    pad->setCurveHeights(0, half.data(), 146);
    pad->setStageCount(4);
    paint();
    for (int s = 1; s <= 6; ++s) {
        const auto g = static_cast<std::uint8_t>(225 - 15 * (s + 1));
        EXPECT_EQ(shown(69 + s, 43), (GuiColor{g, g, g, 0})) << "copy shifted " << s;
    }
    pad->setStageCount(2);
    paint();
    EXPECT_EQ(shown(70, 43), (GuiColor{195, 195, 195, 0}));
    EXPECT_EQ(shown(71, 43), (GuiColor{180, 180, 180, 0}));
    EXPECT_EQ(shown(72, 43), panel[static_cast<std::size_t>(43 * background->getWidth() + 72)]);
}

} // namespace

} // namespace chorus::test
