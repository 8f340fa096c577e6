#include "tests/gui/PixelProbe.h"

#include <algorithm>
#include <windows.h>

namespace chorus::test {

GuiColor pixelAt(GuiDCHandle dc, int x, int y) {
    const COLORREF c = GetPixel(dc, x, y);
    return {GetRValue(c), GetGValue(c), GetBValue(c), 0};
}

int countPixels(GuiDCHandle dc, const GuiRect& area, GuiColor color) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (pixelAt(dc, x, y) == color) {
                ++count;
            }
        }
    }
    return count;
}

GuiRect boundsOf(GuiDCHandle dc, const GuiRect& area, GuiColor color) {
    GuiRect found{area.right, area.bottom, area.left - 1, area.top - 1};
    bool any = false;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (pixelAt(dc, x, y) == color) {
                any = true;
                found.left = std::min(found.left, x);
                found.top = std::min(found.top, y);
                found.right = std::max(found.right, x + 1);
                found.bottom = std::max(found.bottom, y + 1);
            }
        }
    }
    return any ? found : GuiRect{};
}

} // namespace chorus::test
