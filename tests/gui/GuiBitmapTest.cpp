#include "gui/core/GuiBitmap.h"

#include "gui/core/GuiGdiCounter.h"
#include "gui/core/GuiMemoryDC.h"
#include "gui/core/GuiModule.h"
#include "gui/core/GuiOffscreenContext.h"
#include "gui/core/GuiSelection.h"
#include "tests/gui/PixelProbe.h"

#include <gtest/gtest.h>
#include <vector>
#include <windows.h>

namespace chorus {
namespace {

using test::countPixels;
using test::pixelAt;

constexpr GuiColor blue{0, 0, 255, 0};
constexpr GuiColor nearWhite{254, 255, 255, 0};
constexpr GuiColor otherNearWhite{255, 255, 254, 0};

// One row of the given colours, repeated over rows.
GuiBitmap* bitmapOf(const std::vector<GuiColor>& row, int rows = 1) {
    return test::makeBitmap(static_cast<int>(row.size()), rows,
                            [&row](int x, int) { return row[static_cast<std::size_t>(x)]; });
}

GuiColor bitmapPixel(GuiBitmap& bitmap, int x, int y) {
    GuiMemoryDC memory(nullptr);
    GuiSelection selected(memory.get(), bitmap.getHandle());
    return pixelAt(memory.get(), x, y);
}

// Loads the plug-in module and takes its resources for the toolkit.
class ModuleBitmaps : public ::testing::Test {
protected:
    void SetUp() override {
        module = LoadLibraryA("chorus.dll");
        ASSERT_NE(module, nullptr) << "chorus.dll must be in the build tree";
        GuiModule::setInstance(module);
    }
    void TearDown() override {
        GuiModule::setInstance(nullptr);
        if (module != nullptr) {
            FreeLibrary(module);
        }
    }
    HMODULE module = nullptr;
};

TEST_F(ModuleBitmaps, EveryResourceLoadsWithItsSize) {
    for (const test::ArtworkSize& e : test::artworkSizes) {
        auto* bitmap = new GuiBitmap(e.id);
        EXPECT_TRUE(bitmap->isLoaded()) << e.id;
        EXPECT_EQ(bitmap->getWidth(), e.width) << e.id;
        EXPECT_EQ(bitmap->getHeight(), e.height) << e.id;
        EXPECT_EQ(bitmap->getKeyColor(), colorKeyDefault);
        bitmap->release();
    }
    // Only the low 16 bits of the id name the resource.
    auto* wide = new GuiBitmap(0x10000 + 1003);
    EXPECT_EQ(wide->getWidth(), 12);
    wide->release();
}

TEST_F(ModuleBitmaps, FilmstripOffsetShowsTheLastFrame) {
    auto* strip = new GuiBitmap(1002);
    ASSERT_TRUE(strip->isLoaded());
    GuiOffscreenContext surface(nullptr, 42, 42, colorBlack);
    strip->blit(surface, {0, 0, 42, 42}, {0, 42 * 64});
    int mismatches = 0;
    for (int y = 0; y < 42; ++y) {
        for (int x = 0; x < 42; ++x) {
            mismatches += pixelAt(surface.getDC(), x, y) == bitmapPixel(*strip, x, 42 * 64 + y) ? 0 : 1;
        }
    }
    EXPECT_EQ(mismatches, 0);
    strip->release();
}

TEST(GuiBitmap, MissingResourceIsEmptyAndDrawsNothing) {
    const int before = GuiGdiCounter::live();
    auto* missing = new GuiBitmap(4242);
    EXPECT_FALSE(missing->isLoaded());
    EXPECT_EQ(missing->getWidth(), 0);
    EXPECT_EQ(missing->getHeight(), 0);
    {
        GuiOffscreenContext surface(nullptr, 10, 10, blue);
        missing->blit(surface, {0, 0, 10, 10}, {0, 0});
        missing->blitKeyed(surface, {0, 0, 10, 10}, {0, 0});
        EXPECT_EQ(countPixels(surface.getDC(), {0, 0, 10, 10}, blue), 100);
    }
    missing->release();
    EXPECT_EQ(GuiGdiCounter::live(), before);
}

TEST(GuiBitmap, PlainAndKeyedBlitsCopyFromTheOffsetToTheRectAndDrawOffset) {
    GuiBitmap* bitmap = bitmapOf({colorRed, colorGreen, colorBlue, colorWhite}, 3);
    GuiOffscreenContext surface(nullptr, 20, 20, colorBlack);
    surface.setDrawOffset({2, 3});
    bitmap->blit(surface, {5, 5, 7, 6}, {1, 2});
    EXPECT_EQ(pixelAt(surface.getDC(), 7, 8), colorGreen);
    EXPECT_EQ(pixelAt(surface.getDC(), 8, 8), colorBlue);
    EXPECT_EQ(countPixels(surface.getDC(), {0, 0, 20, 20}, colorBlack), 400 - 2);
    bitmap->release();

    GuiBitmap* keyed = bitmapOf({colorRed, colorWhite, colorGreen, colorWhite});
    GuiOffscreenContext target(nullptr, 10, 10, blue);
    target.setDrawOffset({4, 4});
    keyed->blitKeyed(target, {1, 1, 3, 2}, {1, 0}); // white, green
    EXPECT_EQ(pixelAt(target.getDC(), 5, 5), blue);
    EXPECT_EQ(pixelAt(target.getDC(), 6, 5), colorGreen);
    EXPECT_EQ(countPixels(target.getDC(), {0, 0, 10, 10}, blue), 99);
    keyed->release();
}

TEST(GuiBitmap, ChangingTheKeyAfterAKeyedDrawUsesTheNewKey) {
    GuiBitmap* bitmap = bitmapOf({colorWhite, colorRed});
    {
        GuiOffscreenContext surface(nullptr, 2, 1, blue);
        bitmap->blitKeyed(surface, {0, 0, 2, 1}, {0, 0});
        EXPECT_EQ(pixelAt(surface.getDC(), 0, 0), blue);
        EXPECT_EQ(pixelAt(surface.getDC(), 1, 0), colorRed);
    }
    bitmap->setKeyColor(colorRed);
    EXPECT_FALSE(bitmap->hasKeyMask());
    {
        GuiOffscreenContext surface(nullptr, 2, 1, blue);
        bitmap->blitKeyed(surface, {0, 0, 2, 1}, {0, 0});
        EXPECT_EQ(pixelAt(surface.getDC(), 0, 0), colorWhite);
        EXPECT_EQ(pixelAt(surface.getDC(), 1, 0), blue);
    }
    // Setting the same key again keeps the mask.
    bitmap->setKeyColor(colorRed);
    EXPECT_TRUE(bitmap->hasKeyMask());
    bitmap->release();
}

TEST(GuiBitmap, SharedBitmapLivesUntilTheLastRelease) {
    const int before = GuiGdiCounter::live();
    GuiBitmap* bitmap = bitmapOf({colorRed, colorWhite});
    {
        GuiOffscreenContext surface(nullptr, 2, 1, blue);
        bitmap->blitKeyed(surface, {0, 0, 2, 1}, {0, 0}); // builds the mask too
    }
    EXPECT_EQ(GuiGdiCounter::live(), before + 2);
    bitmap->retain();
    bitmap->retain();
    bitmap->release();
    bitmap->release();
    EXPECT_EQ(bitmap->getRetainCount(), 1);
    EXPECT_EQ(GuiGdiCounter::live(), before + 2);
    GuiOffscreenContext surface(nullptr, 2, 1, blue);
    const int withSurface = GuiGdiCounter::live();
    bitmap->blit(surface, {0, 0, 2, 1}, {0, 0});
    EXPECT_EQ(pixelAt(surface.getDC(), 0, 0), colorRed);
    bitmap->release(); // frees the bitmap and its mask
    EXPECT_EQ(GuiGdiCounter::live(), withSurface - 2);
}

} // namespace
} // namespace chorus
