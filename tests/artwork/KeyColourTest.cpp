#include "Artwork.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int thumbId = 1003;

// Bitmaps that the editor copies opaquely: a key-coloured pixel in them is a design slip that would
// punch a hole the moment one of them is drawn keyed.
constexpr int opaqueIds[] = {1000, 1001, 1004, 1005, 1006, 1007, 1008, 1009};

TEST(KeyColour, OpaquelyDrawnBitmapsHoldNoKeyColour) {
    for (int id : opaqueIds) {
        SCOPED_TRACE(id);
        const BmpImage& image = Artwork::instance().bitmap(id);
        ASSERT_GT(image.width(), 0);
        int white = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                white += image.isWhite(x, y) ? 1 : 0;
        EXPECT_EQ(white, 0);
    }
}

TEST(KeyColour, SliderThumbLetsTheTrackThroughOnlyAroundItsOutline) {
    const BmpImage& thumb = Artwork::instance().bitmap(thumbId);
    ASSERT_EQ(thumb.width(), 12);
    ASSERT_EQ(thumb.height(), 22);
    const int w = thumb.width();
    const int h = thumb.height();

    // Flood the key area from the border: every key pixel must be reached, so none is a hole in the cap.
    std::vector<bool> reached(static_cast<std::size_t>(w * h), false);
    std::vector<std::pair<int, int>> todo;
    for (int x = 0; x < w; ++x)
        todo.insert(todo.end(), {{x, 0}, {x, h - 1}});
    for (int y = 0; y < h; ++y)
        todo.insert(todo.end(), {{0, y}, {w - 1, y}});
    int keyPixels = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            keyPixels += thumb.isWhite(x, y) ? 1 : 0;
    int reachedCount = 0;
    while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        if (x < 0 || y < 0 || x >= w || y >= h || reached[static_cast<std::size_t>(y * w + x)] ||
            !thumb.isWhite(x, y))
            continue;
        reached[static_cast<std::size_t>(y * w + x)] = true;
        ++reachedCount;
        todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
    }
    EXPECT_GT(keyPixels, 0) << "a cap with square corners hides the track behind them";
    EXPECT_EQ(reachedCount, keyPixels);

    // The cap itself is solid across its middle row and down its middle column.
    for (int x = 0; x < w; ++x)
        EXPECT_FALSE(thumb.isWhite(x, h / 2)) << x;
    for (int y = 0; y < h; ++y)
        EXPECT_FALSE(thumb.isWhite(w / 2, y)) << y;
}

} // namespace
