#include "tests/gui/PixelProbe.h"

#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiWindowDC.h"

#include <algorithm>
#include <vector>
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

GuiBitmap* makeBitmap(int width, int height, const std::function<GuiColor(int, int)>& colourAt) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const GuiColor c = colourAt(x, y);
            pixels[static_cast<std::size_t>(y * width + x)] = (static_cast<std::uint32_t>(c.red) << 16) |
                                                              (static_cast<std::uint32_t>(c.green) << 8) |
                                                              c.blue;
        }
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    GuiWindowDC screen(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen.get(), width, height);
    SetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
    return new GuiBitmap(bitmap, 0);
}

} // namespace chorus::test
