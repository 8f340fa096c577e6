#include "host/window/EditorWindow.h"

#include "host/session/EditHistory.h"
#include "host/session/HostedPlugin.h"
#include "host/window/HostWindowClass.h"
#include "host/window/KeyTranslation.h"
#include "host/window/PresetDialogs.h"
#include "host/window/WindowCapture.h"

#include <windows.h>

namespace chorus::host {

namespace {

constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr int windowX = 100; // where the window first appears on the screen
constexpr int windowY = 100;
constexpr DWORD loopWaitMs = 5;
constexpr int settleRounds = 50;          // idle rounds at most while waiting for the paint to finish
constexpr int minimumIdles = 2;           // idle calls before the picture counts as settled
constexpr float wheelNotch = WHEEL_DELTA; // one notch of the wheel is one unit of distance

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
    HostWindowClass::becomeDpiAware();
    if (zoom >= 0 && plugin.dispatch(opVendorSpecific, CHORUS_WHEEL_INDEX, CHORUS_ZOOM_VALUE, nullptr,
                                     static_cast<float>(zoom)) == 0) {
        error = "the plug-in's editor does not zoom to " + std::to_string(zoom) + " %";
        return false;
    }
    if (!readEditorSize(error)) {
        return false;
    }
    if (!HostWindowClass::registerOnce()) {
        error = "cannot register the host window class";
        return false;
    }
    RECT frame{0, 0, width, height + stripHeight};
    AdjustWindowRect(&frame, windowStyle, TRUE);
    HWND hwnd = CreateWindowExA(0, HostWindowClass::name, title.c_str(), windowStyle, windowX, windowY,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    if (hwnd == nullptr) {
        error = "cannot create the host window";
        return false;
    }
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    window = hwnd;
    addMenuAndStrip();
    ShowWindow(hwnd, SW_SHOWNORMAL);
    if (plugin.dispatch(opEditorOpen, 0, 0, hwnd) == 0) {
        close();
        error = "the plug-in did not open its editor";
        return false;
    }
    editorOpen = true;
    // The editor may have chosen its size from the monitor the window is on.
    if (readEditorSize(error)) {
        fitToEditor();
    }
    history = std::make_unique<EditHistory>(plugin);
    plugin.setListener(history.get());
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
    const auto program = static_cast<int>(plugin.dispatch(opCurrentProgram));
    const std::string line = "program " + std::to_string(program) + ": " + plugin.programName();
    const std::string text = baseTitle + " - " + line;
    if (text != shownTitle) {
        shownTitle = text;
        SetWindowTextA(static_cast<HWND>(window), text.c_str());
    }
    if (line != shownProgram) {
        shownProgram = line;
        SetWindowTextA(static_cast<HWND>(strip), line.c_str());
    }
    menu.show(program, history != nullptr && history->canUndo(), history != nullptr && history->canRedo());
}

bool EditorWindow::readEditorSize(std::string& error) {
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
    return true;
}

// The menu bar, then the window grown so that its client area holds the editor and the strip whatever
// height the bar takes (a narrow window may wrap it onto two lines).
void EditorWindow::addMenuAndStrip() {
    HWND hwnd = static_cast<HWND>(window);
    menu.attach(hwnd, programNames);
    strip =
        CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE | SS_ENDELLIPSIS,
                        0, height, width, stripHeight, hwnd, nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageA(static_cast<HWND>(strip), WM_SETFONT,
                 reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    fitToEditor();
}

void EditorWindow::fitToEditor() {
    HWND hwnd = static_cast<HWND>(window);
    RECT client{};
    RECT outer{};
    GetClientRect(hwnd, &client);
    GetWindowRect(hwnd, &outer);
    SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left + width - client.right,
                 outer.bottom - outer.top + height + stripHeight - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(static_cast<HWND>(strip), nullptr, 0, height, width, stripHeight, SWP_NOZORDER);
}

void EditorWindow::stepProgram(int delta) {
    const EffectDescriptor* descriptor = plugin.descriptor();
    if (descriptor == nullptr || descriptor->programCount < 1) {
        return;
    }
    const int count = descriptor->programCount;
    const auto current = static_cast<int>(plugin.dispatch(opCurrentProgram));
    selectProgram(((current + delta) % count + count) % count);
}

void EditorWindow::selectProgram(int program) {
    const auto current = static_cast<int>(plugin.dispatch(opCurrentProgram));
    plugin.dispatch(opSelectProgram, 0, program);
    if (history != nullptr) {
        history->programChanged(current, program);
    }
    updateTitle();
}

bool EditorWindow::undo() {
    const bool undone = history != nullptr && history->undo();
    updateTitle();
    return undone;
}

bool EditorWindow::redo() {
    const bool redone = history != nullptr && history->redo();
    updateTitle();
    return redone;
}

void EditorWindow::onDpiChanged() {
    std::string error;
    if (!editorOpen || zoom > 0 ||
        plugin.dispatch(opVendorSpecific, CHORUS_WHEEL_INDEX, CHORUS_ZOOM_VALUE, nullptr, 0.0f) == 0) {
        return; // a zoom asked for stays; an editor that does not zoom keeps its size
    }
    if (readEditorSize(error)) {
        fitToEditor();
    }
}

void EditorWindow::onCommand(unsigned command) {
    switch (command) {
    case EditorMenu::loadPreset:
        loadPresetFromUser();
        break;
    case EditorMenu::saveBank:
    case EditorMenu::saveProgram:
        PresetDialogs::save(window, plugin, command == EditorMenu::saveBank);
        break;
    case EditorMenu::quit:
        onCloseRequest();
        break;
    case EditorMenu::undo:
        undo();
        break;
    case EditorMenu::redo:
        redo();
        break;
    default:
        if (command >= EditorMenu::firstProgram && command < EditorMenu::firstProgram + programNames.size()) {
            selectProgram(static_cast<int>(command - EditorMenu::firstProgram));
        }
        break;
    }
}

void EditorWindow::loadPresetFromUser() {
    if (PresetDialogs::load(window, plugin)) {
        if (history != nullptr) {
            history->clear(); // no step reaches across a preset
        }
        updateTitle();
    }
}

bool EditorWindow::hostShortcut(const MSG& message) {
    const unsigned command = EditorMenu::commandForKey(message.wParam);
    if (command == 0) {
        return false;
    }
    if (message.message == WM_KEYDOWN) {
        onCommand(command);
    }
    return true;
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
        if (!KeyTranslation::takesKeysFor(message.hwnd, hwnd)) {
            return false;
        }
        if (hostShortcut(message)) {
            return true;
        }
        const bool down = message.message == WM_KEYDOWN;
        if (message.wParam == VK_PRIOR || message.wParam == VK_NEXT) {
            if (down) {
                stepProgram(message.wParam == VK_PRIOR ? -1 : 1);
            }
            return true;
        }
        KeyRecord key = KeyTranslation::recordFor(message.wParam);
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
    plugin.setListener(nullptr);
    history.reset();
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
