#include "host/window/HostWindowClass.h"

#include "host/window/EditorWindow.h"

#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0 // older headers lack it
#endif

namespace chorus::host {

namespace {

LRESULT CALLBACK hostWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* owner = reinterpret_cast<EditorWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_CLOSE:
        if (owner != nullptr) {
            owner->onCloseRequest();
            return 0;
        }
        break;
    case WM_COMMAND:
        if (owner != nullptr && HIWORD(wParam) == 0) { // a menu's, not a control's
            owner->onCommand(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_DPICHANGED:
        if (owner != nullptr) {
            owner->onDpiChanged();
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        return 1; // the editor and the strip under it cover the whole client area
    case WM_GETMINMAXINFO: {
        // The editor has one size: the window's maximised and tracking sizes are its own.
        RECT area{};
        GetWindowRect(hwnd, &area);
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        if (owner != nullptr && limits != nullptr) {
            const POINT size{area.right - area.left, area.bottom - area.top};
            limits->ptMaxSize = size;
            limits->ptMaxPosition = POINT{area.left, area.top};
            limits->ptMinTrackSize = size;
            limits->ptMaxTrackSize = size;
            return 0;
        }
        break;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MAXIMIZE || (wParam & 0xFFF0) == SC_SIZE) {
            return 0;
        }
        break;
    case WM_SIZE:
        if (wParam == SIZE_MAXIMIZED) {
            ShowWindow(hwnd, SW_RESTORE); // a window manager that maximises anyway is undone
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

} // namespace

bool HostWindowClass::registerOnce() {
    WNDCLASSA existing{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), name, &existing)) {
        return true;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = hostWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    return RegisterClassA(&wc) != 0;
}

void HostWindowClass::becomeDpiAware() {
    // Looked up at run time: older systems lack it, and there the process stays as it is.
    using SetAwareness = BOOL(WINAPI*)(HANDLE);
    static const bool done = [] {
        const auto set = reinterpret_cast<SetAwareness>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDpiAwarenessContext")));
        // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
        return set != nullptr && set(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4))) != 0;
    }();
    (void)done;
}

} // namespace chorus::host
