#pragma once

#include "gui/core/GuiColor.h"
#include "gui/core/GuiNativeHandles.h"
#include "gui/core/GuiRect.h"

#include <cstdint>

namespace chorus::test {

// Reads one pixel of a DC as a colour (alpha 0).
GuiColor pixelAt(GuiDCHandle dc, int x, int y);
// Counts the pixels of area (right and bottom exclusive) that have exactly the colour.
int countPixels(GuiDCHandle dc, const GuiRect& area, GuiColor color);
// The smallest rectangle (right and bottom exclusive) holding every pixel of area that has the colour;
// all zero when there is none.
GuiRect boundsOf(GuiDCHandle dc, const GuiRect& area, GuiColor color);

} // namespace chorus::test
