#pragma once

#include "gui/core/GuiColor.h"
#include "gui/core/GuiNativeHandles.h"
#include "gui/core/GuiRect.h"

#include <cstdint>
#include <functional>

namespace chorus {
class GuiBitmap;
}

namespace chorus::test {

// The ten artwork bitmaps: resource id and size in pixels.
struct ArtworkSize {
    int id, width, height;
};
inline constexpr ArtworkSize artworkSizes[] = {
    {1000, 238, 226}, {1001, 238, 226}, {1002, 42, 2730}, {1003, 12, 22}, {1004, 147, 85},
    {1005, 48, 12},   {1006, 28, 13},   {1007, 34, 32},   {1008, 34, 32}, {1009, 34, 32}};

// Reads one pixel of a DC as a colour (alpha 0).
GuiColor pixelAt(GuiDCHandle dc, int x, int y);
// Counts the pixels of area (right and bottom exclusive) that have exactly the colour.
int countPixels(GuiDCHandle dc, const GuiRect& area, GuiColor color);
// The smallest rectangle (right and bottom exclusive) holding every pixel of area that has the colour;
// all zero when there is none.
GuiRect boundsOf(GuiDCHandle dc, const GuiRect& area, GuiColor color);
// A device-dependent bitmap (as resources load) of width x height, pixel (x, y) coloured colourAt(x, y).
GuiBitmap* makeBitmap(int width, int height, const std::function<GuiColor(int, int)>& colourAt);

} // namespace chorus::test
