#include "Artwork.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

struct Rect {
    int left, top, right, bottom; // right and bottom exclusive, as the editor's controls use them
};

constexpr int aboutId = 1000;
constexpr int backgroundId = 1001;
constexpr int padId = 1004;
constexpr int fieldId = 1005;
constexpr int mixFieldId = 1006;

constexpr Rect titleRect{11, 7, 75, 22};
constexpr Rect padRect{13, 31, 159, 115};
constexpr Rect fieldRects[] = {{16, 146, 63, 158}, {66, 146, 113, 158}, {116, 146, 163, 158}};
constexpr Rect mixFieldRect{187, 38, 214, 49};
constexpr Rect aboutVersionRect{75, 175, 175, 190};
struct Button {
    int id, left, top;
};
constexpr Button shapeButtons[] = {{1007, 52, 121}, {1009, 90, 121}, {1008, 128, 121}}; // ramp, peak, square
constexpr int buttonWidth = 34;
constexpr int buttonHeight = 16;

constexpr int darkForWhiteText = 60; // brightest pixel allowed under text printed in white
constexpr int darkForPadCurves = 70; // the pad's faintest curve is grey 120
constexpr int labelLuminance = 150;

const BmpImage& bitmap(int id) {
    return Artwork::instance().bitmap(id);
}

int brightest(const BmpImage& image, Rect r, int dx = 0, int dy = 0) {
    int most = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            most = std::max(most, luminance(image.at(x + dx, y + dy)));
    return most;
}

// The panel shows exactly the control's own picture where the control sits, so the two line up.
void expectPanelShows(const BmpImage& part, Rect where, int sourceTop = 0) {
    const BmpImage& panel = bitmap(backgroundId);
    ASSERT_EQ(panel.width(), 238);
    ASSERT_GE(part.width(), where.right - where.left);
    for (int y = where.top; y < where.bottom; ++y)
        for (int x = where.left; x < where.right; ++x)
            ASSERT_EQ(panel.at(x, y), part.at(x - where.left, y - where.top + sourceTop)) << x << "," << y;
}

TEST(PanelLayout, ValueBoxesAndPadWindowLineUpWithTheirControls) {
    for (const Rect& r : fieldRects) {
        SCOPED_TRACE(r.left);
        expectPanelShows(bitmap(fieldId), r);
    }
    expectPanelShows(bitmap(mixFieldId), mixFieldRect);
    expectPanelShows(bitmap(padId), padRect);
}

TEST(PanelLayout, ShapeRowShowsEachButtonUnlitAtItsPlace) {
    for (const Button& b : shapeButtons) {
        SCOPED_TRACE(b.id);
        expectPanelShows(bitmap(b.id), Rect{b.left, b.top, b.left + buttonWidth, b.top + buttonHeight});
    }
}

TEST(PanelLayout, TitleLettersLieInsideTheAboutClickArea) {
    const BmpImage& panel = bitmap(backgroundId);
    ASSERT_EQ(panel.width(), 238);
    int inside = 0;
    for (int y = 1; y < 29; ++y) {
        for (int x = 1; x < 100; ++x) {
            if (luminance(panel.at(x, y)) < labelLuminance)
                continue;
            const bool within =
                x >= titleRect.left && x < titleRect.right && y >= titleRect.top && y < titleRect.bottom;
            EXPECT_TRUE(within) << "title pixel outside the click area at " << x << "," << y;
            inside += within ? 1 : 0;
        }
    }
    EXPECT_GT(inside, 40);
}

TEST(PanelLayout, SurfacesUnderLightDrawingStayDark) {
    const BmpImage& field = bitmap(fieldId);
    const BmpImage& mix = bitmap(mixFieldId);
    const BmpImage& pad = bitmap(padId);
    const BmpImage& about = bitmap(aboutId);
    ASSERT_GT(field.width(), 0);
    ASSERT_GT(mix.width(), 0);
    ASSERT_GT(pad.width(), 0);
    ASSERT_GT(about.width(), 0);
    EXPECT_LE(brightest(field, Rect{0, 0, field.width(), field.height()}), darkForWhiteText);
    EXPECT_LE(brightest(mix, Rect{0, 0, mix.width(), mix.height()}), darkForWhiteText);
    EXPECT_LE(brightest(pad, Rect{0, 0, pad.width(), pad.height()}), darkForPadCurves);
    EXPECT_LE(brightest(about, aboutVersionRect), darkForWhiteText);
}

TEST(PanelLayout, ShapeButtonsHaveDistinctOffAndOnImages) {
    auto sameHalf = [](const BmpImage& a, int topA, const BmpImage& b, int topB) {
        for (int y = 0; y < buttonHeight; ++y)
            for (int x = 0; x < buttonWidth; ++x)
                if (!(a.at(x, topA + y) == b.at(x, topB + y)))
                    return false;
        return true;
    };
    for (const Button& b : shapeButtons) {
        SCOPED_TRACE(b.id);
        const BmpImage& image = bitmap(b.id);
        ASSERT_EQ(image.height(), 2 * buttonHeight);
        EXPECT_FALSE(sameHalf(image, 0, image, buttonHeight));
        // Lit means brighter: the on image's icon outshines the off image's.
        EXPECT_GT(brightest(image, Rect{0, buttonHeight, buttonWidth, 2 * buttonHeight}),
                  brightest(image, Rect{0, 0, buttonWidth, buttonHeight}));
    }
    EXPECT_FALSE(sameHalf(bitmap(1007), 0, bitmap(1008), 0));
    EXPECT_FALSE(sameHalf(bitmap(1007), 0, bitmap(1009), 0));
    EXPECT_FALSE(sameHalf(bitmap(1008), 0, bitmap(1009), 0));
}

} // namespace
