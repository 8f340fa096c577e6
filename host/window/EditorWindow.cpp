#include "host/window/EditorWindow.h"

#include "host/session/HostedPlugin.h"
#include "host/window/WindowCapture.h"

#include <windows.h>

namespace chorus::host {

namespace {

constexpr const char* className = "ChorusHostEditorWindow";
constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr int windowX = 100; // where the window first appears on the screen
constexpr int windowY = 100;
constexpr DWORD loopWaitMs = 5;
constexpr int settleRounds = 50;          // idle rounds at most while waiting for the paint to finish
constexpr int minimumIdles = 2;           // idle calls before the picture counts as settled
constexpr float wheelNotch = WHEEL_DELTA; // one notch of the wheel is one unit of distance

// The host's key codes for the keys a plug-in's controls step with.
constexpr std::uint8_t keyLeft = 11;
constexpr std::uint8_t keyUp = 12;
constexpr std::uint8_t keyRight = 13;
constexpr std::uint8_t keyDown = 14;
// Modifier bits of a key record.
constexpr std::uint8_t modifierShift = 0x01;
constexpr std::uint8_t modifierAlt = 0x02;
constexpr std::uint8_t modifierControl = 0x04;

bool keyHeld(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

// The key record of a key message: the character it stands for, the host's code for the arrow keys
// (0 for others) and the modifiers held.
KeyRecord keyRecordFor(WPARAM virtualKey) {
    KeyRecord key{};
    switch (virtualKey) {
    case VK_LEFT:
        key.virtualKey = keyLeft;
        break;
    case VK_UP:
        key.virtualKey = keyUp;
        break;
    case VK_RIGHT:
        key.virtualKey = keyRight;
        break;
    case VK_DOWN:
        key.virtualKey = keyDown;
        break;
    default:
        key.character =
            static_cast<int32_t>(MapVirtualKeyA(static_cast<UINT>(virtualKey), MAPVK_VK_TO_CHAR) & 0xFFFF);
        break;
    }
    key.modifiers = static_cast<std::uint8_t>((keyHeld(VK_SHIFT) ? modifierShift : 0) |
                                              (keyHeld(VK_MENU) ? modifierAlt : 0) |
                                              (keyHeld(VK_CONTROL) ? modifierControl : 0));
    return key;
}

// Whether the window is ours: the host window or a window inside it other than a text entry, which keeps
// its own keys.
bool takesKeysFor(HWND target, HWND host) {
    if (target != host && !IsChild(host, target)) {
        return false;
    }
    char name[16] = "";
    GetClassNameA(target, name, sizeof name);
    return lstrcmpiA(name, "Edit") != 0;
}

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
    baseTitle = title;
    updateTitle();
    UpdateWindow(hwnd);
    lastIdle = GetTickCount();
    return true;
}

std::string EditorWindow::title() const {
    return shownTitle;
}

void EditorWindow::updateTitle() {
    if (window == nullptr) {
        return;
    }
    const std::string text = baseTitle + " - program " + std::to_string(plugin.dispatch(opCurrentProgram)) +
                             ": " + plugin.programName();
    if (text != shownTitle) {
        shownTitle = text;
        SetWindowTextA(static_cast<HWND>(window), text.c_str());
    }
}

void EditorWindow::stepProgram(int delta) {
    const EffectDescriptor* descriptor = plugin.descriptor();
    if (descriptor == nullptr || descriptor->programCount < 1) {
        return;
    }
    const int count = descriptor->programCount;
    const auto current = static_cast<int>(plugin.dispatch(opCurrentProgram));
    const int next = ((current + delta) % count + count) % count;
    plugin.dispatch(opSelectProgram, 0, next);
    updateTitle();
}

bool EditorWindow::forwardInput(const MSG& message) {
    HWND hwnd = static_cast<HWND>(window);
    if (hwnd == nullptr || !editorOpen) {
        return false;
    }
    switch (message.message) {
    case WM_MOUSEWHEEL: {
        if (message.hwnd != hwnd && !IsChild(hwnd, message.hwnd)) {
            return false;
        }
        const float distance = static_cast<float>(GET_WHEEL_DELTA_WPARAM(message.wParam)) / wheelNotch;
        plugin.dispatch(opVendorSpecific, CHORUS_WHEEL_INDEX, CHORUS_WHEEL_VALUE, nullptr, distance);
        return true;
    }
    case WM_KEYDOWN:
    case WM_KEYUP: {
        if (!takesKeysFor(message.hwnd, hwnd)) {
            return false;
        }
        const bool down = message.message == WM_KEYDOWN;
        if (message.wParam == VK_PRIOR || message.wParam == VK_NEXT) {
            if (down) {
                stepProgram(message.wParam == VK_PRIOR ? -1 : 1);
            }
            return true;
        }
        KeyRecord key = keyRecordFor(message.wParam);
        const intptr_t answer = plugin.dispatch(down ? opKeyDown : opKeyUp, key.character, key.virtualKey,
                                                nullptr, static_cast<float>(key.modifiers));
        return answer == 1;
    }
    default:
        return false;
    }
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
        updateTitle(); // the program may have changed from anywhere
    }
    lastIdle = GetTickCount();
}

bool EditorWindow::pump() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (forwardInput(message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    // A text entry that closed leaves no window with the keyboard: the host window takes it back, so that
    // keys keep reaching the editor.
    HWND hwnd = static_cast<HWND>(window);
    if (hwnd != nullptr && GetForegroundWindow() == hwnd && GetFocus() == nullptr) {
        SetFocus(hwnd);
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
    if (window == nullptr || !captureWindow(window, width, height, rgb)) {
        return false;
    }
    outWidth = width;
    outHeight = height;
    return true;
}

} // namespace chorus::host
