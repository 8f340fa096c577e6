#pragma once

namespace chorus::host {

// The window class of the host window around a plug-in's editor, its window procedure (which tells the
// EditorWindow stored in the window's user data of closing and menu commands) and the process's DPI
// awareness. Windows only.
class HostWindowClass {
public:
    static constexpr const char* name = "ChorusHostEditorWindow";

    // Registers the class once per process; false when the system refuses it.
    static bool registerOnce();
    // Makes the process per-monitor DPI aware (where the system offers it), so windows learn their
    // monitor's DPI; before the first window, and once.
    static void becomeDpiAware();
};

} // namespace chorus::host
