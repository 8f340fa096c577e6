#include "host/window/WindowCapture.h"

#include <windows.h>

namespace chorus::host {

namespace {

// A window DC for one scope.
class WindowDC {
public:
    explicit WindowDC(HWND forWindow) : window(forWindow), dc(GetDC(forWindow)) {}
    ~WindowDC() {
        if (dc != nullptr) {
            ReleaseDC(window, dc);
        }
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc; }

private:
    HWND window;
    HDC dc;
};

// A memory DC with a bitmap selected for one scope.
class MemoryDC {
public:
    explicit MemoryDC(HDC like) : dc(CreateCompatibleDC(like)) {}
    ~MemoryDC() {
        if (dc != nullptr) {
            if (previous != nullptr) {
                SelectObject(dc, previous);
            }
            DeleteDC(dc);
        }
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC get() const { return dc; }
    void select(HGDIOBJ object) { previous = SelectObject(dc, object); }

private:
    HDC dc;
    HGDIOBJ previous = nullptr;
};

class ScopedBitmap {
public:
    explicit ScopedBitmap(HBITMAP b) : bitmap(b) {}
    ~ScopedBitmap() {
        if (bitmap != nullptr) {
            DeleteObject(bitmap);
        }
    }
    ScopedBitmap(const ScopedBitmap&) = delete;
    ScopedBitmap& operator=(const ScopedBitmap&) = delete;
    HBITMAP get() const { return bitmap; }

private:
    HBITMAP bitmap;
};

} // namespace

bool captureWindow(void* window, int width, int height, std::vector<std::uint8_t>& rgb) {
    HWND hwnd = static_cast<HWND>(window);
    WindowDC screen(hwnd);
    if (screen.get() == nullptr) {
        return false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    ScopedBitmap dib(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDC memory(screen.get());
    if (dib.get() == nullptr || bits == nullptr || memory.get() == nullptr) {
        return false;
    }
    memory.select(dib.get());
    if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY)) {
        return false;
    }
    GdiFlush();
    const auto* pixels = static_cast<const std::uint8_t*>(bits);
    const auto count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    rgb.resize(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        rgb[i * 3] = pixels[i * 4 + 2];
        rgb[i * 3 + 1] = pixels[i * 4 + 1];
        rgb[i * 3 + 2] = pixels[i * 4];
    }
    return true;
}

} // namespace chorus::host
