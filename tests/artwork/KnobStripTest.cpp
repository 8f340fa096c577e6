#include "Artwork.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace {

constexpr int stripId = 1002;
constexpr int backgroundId = 1001;
constexpr int frameSize = 42;
constexpr int frameCount = 65;
constexpr double arcStartDegrees = 225.0;
constexpr double arcSweepDegrees = -270.0;
constexpr int pointerLuminance = 180; // the pointer is the only bright part of the body
constexpr double angleToleranceDegrees = 6.0;
constexpr int rimTolerance = 24; // per channel, against the panel under the knob

struct Origin {
    int left;
    int top;
};
constexpr Origin knobOrigins[] = {{19, 161}, {69, 161}, {119, 161}};

const BmpImage& strip() {
    return Artwork::instance().bitmap(stripId);
}

bool isKey(int frame, int x, int y) {
    return strip().isWhite(x, frame * frameSize + y);
}

TEST(KnobStrip, KeyAreaIsIdenticalInEveryFrame) {
    ASSERT_EQ(strip().height(), frameSize * frameCount);
    for (int frame = 1; frame < frameCount; ++frame)
        for (int y = 0; y < frameSize; ++y)
            for (int x = 0; x < frameSize; ++x)
                ASSERT_EQ(isKey(frame, x, y), isKey(0, x, y)) << "frame " << frame << " at " << x << "," << y;
}

TEST(KnobStrip, KeyAreaSurroundsOneRoundOpaqueBody) {
    ASSERT_EQ(strip().height(), frameSize * frameCount);
    const int last = frameSize - 1;
    EXPECT_TRUE(isKey(0, 0, 0) && isKey(0, last, 0) && isKey(0, 0, last) && isKey(0, last, last));
    for (int y = 0; y < frameSize; ++y) {
        int runs = 0;
        for (int x = 0; x < frameSize; ++x) {
            EXPECT_EQ(isKey(0, x, y), isKey(0, last - x, y)) << x << "," << y;
            EXPECT_EQ(isKey(0, x, y), isKey(0, x, last - y)) << x << "," << y;
            if (!isKey(0, x, y) && (x == 0 || isKey(0, x - 1, y)))
                ++runs;
        }
        EXPECT_LE(runs, 1) << "row " << y << " has a see-through hole";
        if (y >= 8 && y <= last - 8) {
            EXPECT_EQ(runs, 1) << "row " << y;
        }
    }
}

TEST(KnobStrip, PointerTurnsEvenlyFromTheMinimumAngleToTheMaximum) {
    ASSERT_EQ(strip().height(), frameSize * frameCount);
    const double centre = frameSize / 2.0;
    for (int frame = 0; frame < frameCount; ++frame) {
        double sumX = 0, sumY = 0;
        int count = 0;
        for (int y = 0; y < frameSize; ++y)
            for (int x = 0; x < frameSize; ++x)
                if (!isKey(frame, x, y) &&
                    luminance(strip().at(x, frame * frameSize + y)) >= pointerLuminance) {
                    sumX += x + 0.5 - centre;
                    sumY += centre - (y + 0.5);
                    ++count;
                }
        ASSERT_GT(count, 6) << "frame " << frame << " has no visible pointer";
        const double angle = std::atan2(sumY, sumX) * 180.0 / std::numbers::pi;
        const double expected = arcStartDegrees + arcSweepDegrees * frame / (frameCount - 1);
        const double off = std::remainder(angle - expected, 360.0);
        EXPECT_LE(std::abs(off), angleToleranceDegrees) << "frame " << frame << " points at " << angle;
    }
}

TEST(KnobStrip, BodyRimBlendsIntoThePanelUnderEachKnob) {
    const BmpImage& panel = Artwork::instance().bitmap(backgroundId);
    ASSERT_EQ(panel.width(), 238);
    ASSERT_EQ(strip().height(), frameSize * frameCount);
    for (int frame : {0, 32, 64}) {
        for (const Origin& origin : knobOrigins) {
            for (int y = 1; y < frameSize - 1; ++y) {
                for (int x = 1; x < frameSize - 1; ++x) {
                    const bool rim =
                        !isKey(frame, x, y) && (isKey(frame, x - 1, y) || isKey(frame, x + 1, y) ||
                                                isKey(frame, x, y - 1) || isKey(frame, x, y + 1));
                    if (!rim)
                        continue;
                    const Rgb body = strip().at(x, frame * frameSize + y);
                    const Rgb under = panel.at(origin.left + x, origin.top + y);
                    EXPECT_NEAR(body.red, under.red, rimTolerance) << origin.left << " " << x << "," << y;
                    EXPECT_NEAR(body.green, under.green, rimTolerance) << origin.left << " " << x << "," << y;
                    EXPECT_NEAR(body.blue, under.blue, rimTolerance) << origin.left << " " << x << "," << y;
                }
            }
        }
    }
}

} // namespace
