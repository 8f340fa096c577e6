#include "host/EditorWindow.h"

#include "host/HostedPlugin.h"

#include <windows.h>

namespace chorus::host {

namespace {

constexpr const char* className = "ChorusHostEditorWindow";
constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr int windowX = 100; // where the window first appears on the screen
constexpr int windowY = 100;
constexpr DWORD loopWaitMs = 5;
constexpr int settleRounds = 50; // idle rounds at most while waiting for the paint to finish
constexpr int minimumIdles = 2;  // idle calls before the picture counts as settled

LRESULT CALLBACK hostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* owner = reinterpret_cast<EditorWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_CLOSE:
        if (owner != nullptr) {
            owner->onCloseRequest();
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1; // the editor covers the whole client area
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool registerClass() {
    WNDCLASSA existing{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), className, &existing)) {
        return true;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = hostWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    return RegisterClassA(&wc) != 0;
}

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

EditorWindow::EditorWindow(HostedPlugin& hosted) : plugin(hosted) {}

EditorWindow::~EditorWindow() {
    close();
}

bool EditorWindow::open(const std::string& title, std::string& error) {
    close();
    const EffectDescriptor* descriptor = plugin.descriptor();
    if (descriptor == nullptr || (descriptor->flags & flagHasEditor) == 0) {
        error = "the plug-in has no editor";
        return false;
    }
    EditorRect* area = nullptr;
    if (plugin.dispatch(opEditorRect, 0, 0, &area) == 0 || area == nullptr) {
        error = "the plug-in reports no editor rectangle";
        return false;
    }
    width = area->right - area->left;
    height = area->bottom - area->top;
    if (width <= 0 || height <= 0) {
        error = "the editor rectangle is empty";
        return false;
    }
    if (!registerClass()) {
        error = "cannot register the host window class";
        return false;
    }
    RECT frame{0, 0, width, height};
    AdjustWindowRect(&frame, windowStyle, FALSE);
    HWND hwnd =
        CreateWindowExA(0, className, title.c_str(), windowStyle, windowX, windowY, frame.right - frame.left,
                        frame.bottom - frame.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (hwnd == nullptr) {
        error = "cannot create the host window";
        return false;
    }
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    window = hwnd;
    ShowWindow(hwnd, SW_SHOWNORMAL);
    if (plugin.dispatch(opEditorOpen, 0, 0, hwnd) == 0) {
        close();
        error = "the plug-in did not open its editor";
        return false;
    }
    editorOpen = true;
    UpdateWindow(hwnd);
    lastIdle = GetTickCount();
    return true;
}

void EditorWindow::onCloseRequest() {
    close();
}

void EditorWindow::close() {
    if (editorOpen) {
        editorOpen = false;
        plugin.dispatch(opEditorClose);
    }
    if (window != nullptr) {
        HWND hwnd = static_cast<HWND>(window);
        window = nullptr;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    }
}

void EditorWindow::idle() {
    if (editorOpen) {
        plugin.dispatch(opEditorIdle);
        ++idles;
    }
    lastIdle = GetTickCount();
}

bool EditorWindow::pump() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return window != nullptr;
}

void EditorWindow::run(double seconds) {
    const DWORD start = GetTickCount();
    const auto limit = seconds >= 0.0 ? static_cast<DWORD>(seconds * 1000.0) : 0;
    while (pump()) {
        const DWORD now = GetTickCount();
        if (now - lastIdle >= idleIntervalMs) {
            idle();
        }
        if (seconds >= 0.0 && now - start >= limit) {
            break;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, loopWaitMs, QS_ALLINPUT);
    }
}

void EditorWindow::settle() {
    if (window == nullptr) {
        return;
    }
    HWND hwnd = static_cast<HWND>(window);
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    int idleCalls = 0;
    for (int round = 0; round < settleRounds && pump(); ++round) {
        idle();
        ++idleCalls;
        const bool paintPending = (GetQueueStatus(QS_PAINT) & QS_PAINT) != 0;
        if (!paintPending && idleCalls >= minimumIdles) {
            break;
        }
        Sleep(idleIntervalMs / 5);
    }
    GdiFlush();
}

void EditorWindow::screenOrigin(int& x, int& y) const {
    POINT origin{0, 0};
    if (window != nullptr) {
        ClientToScreen(static_cast<HWND>(window), &origin);
    }
    x = origin.x;
    y = origin.y;
}

bool EditorWindow::capture(std::vector<std::uint8_t>& rgb, int& outWidth, int& outHeight) const {
    if (window == nullptr) {
        return false;
    }
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
    outWidth = width;
    outHeight = height;
    return true;
}

} // namespace chorus::host
