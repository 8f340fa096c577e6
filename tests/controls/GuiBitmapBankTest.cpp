#include "gui/controls/GuiBitmapBank.h"

#include "gui/core/GuiBitmap.h"
#include "tests/gui/PixelProbe.h"

#include <gtest/gtest.h>

namespace chorus {
namespace {

// The editor's artwork is linked into this test program.
TEST(BitmapBank, HandsOutTheRunByIdWithTheListedSizes) {
    GuiBitmapBank bank;
    EXPECT_EQ(bank.load(1000, 10, 1001), 0);
    for (const auto& [id, width, height] : test::artworkSizes) {
        ASSERT_NE(bank.bitmapFor(id), nullptr) << id;
        EXPECT_EQ(bank.bitmapFor(id)->getResourceId(), id);
        EXPECT_EQ(bank.widthOf(id), width) << id;
        EXPECT_EQ(bank.heightOf(id), height) << id;
    }
    EXPECT_EQ(bank.bitmapFor(999), nullptr);
    EXPECT_EQ(bank.bitmapFor(1010), nullptr);
    EXPECT_EQ(bank.widthOf(1010), 0);
    EXPECT_EQ(bank.heightOf(-5), 0);
    EXPECT_EQ(bank.background(), bank.bitmapFor(1001));
}

TEST(BitmapBank, MinusOneMakesTheFirstIdTheBackgroundAndMissingResourcesAreEmptyEntries) {
    GuiBitmapBank bank;
    bank.load(3000, 2, -1);
    EXPECT_EQ(bank.background(), bank.bitmapFor(3000));
    EXPECT_EQ(bank.getBackgroundId(), 3000);
    ASSERT_NE(bank.bitmapFor(3001), nullptr);
    EXPECT_FALSE(bank.bitmapFor(3001)->isLoaded());
    EXPECT_EQ(bank.widthOf(3001), 0);
    EXPECT_EQ(bank.heightOf(3000), 0);
}

TEST(BitmapBank, ReleaseAllDropsOnlyTheBanksReferences) {
    GuiBitmapBank bank;
    bank.load(1000, 10, 1001);
    GuiBitmap* kept = bank.bitmapFor(1002);
    kept->retain();
    bank.releaseAll();
    EXPECT_EQ(kept->getRetainCount(), 1);
    EXPECT_EQ(kept->getHeight(), 2730);
    EXPECT_EQ(bank.bitmapFor(1002), nullptr);
    EXPECT_EQ(bank.getCount(), 0);
    bank.releaseAll(); // twice is harmless
    kept->release();
    // Loading again replaces the run.
    bank.load(1005, 2, -1);
    EXPECT_EQ(bank.widthOf(1005), 48);
    EXPECT_EQ(bank.bitmapFor(1007), nullptr);
}

} // namespace
} // namespace chorus
