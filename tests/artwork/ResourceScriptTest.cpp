#include "Artwork.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct ExpectedBitmap {
    int id;
    int width;
    int height;
};

constexpr ExpectedBitmap expectedBitmaps[] = {
    {1000, 238, 226}, {1001, 238, 226}, {1002, 42, 2730}, {1003, 12, 22}, {1004, 147, 85},
    {1005, 48, 12},   {1006, 28, 13},   {1007, 34, 32},   {1008, 34, 32}, {1009, 34, 32},
};

TEST(ResourceScript, ListsTheTenBitmapIdsUnderTheGermanLanguage) {
    const Artwork& art = Artwork::instance();
    ASSERT_EQ(art.scriptError(), "");
    EXPECT_TRUE(art.declaresGermanLanguageFirst());
    std::vector<int> ids;
    for (const auto& entry : art.files())
        ids.push_back(entry.first);
    EXPECT_EQ(ids, (std::vector<int>{1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009}));
}

TEST(ResourceScript, EveryBitmapIsUncompressed24BitOfItsListedSize) {
    for (const ExpectedBitmap& expected : expectedBitmaps) {
        SCOPED_TRACE(expected.id);
        const BmpImage& image = Artwork::instance().bitmap(expected.id);
        ASSERT_EQ(image.error(), "");
        EXPECT_EQ(image.width(), expected.width);
        EXPECT_EQ(image.height(), expected.height);
        EXPECT_EQ(image.bitsPerPixel(), 24);
        EXPECT_EQ(image.compression(), 0u);
        EXPECT_EQ(image.planes(), 1);
        EXPECT_TRUE(image.bottomUp());
    }
}

} // namespace
