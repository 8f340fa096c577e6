#pragma once

#include "host/window/EditorMenu.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct tagMSG;

namespace chorus::host {

class EditHistory;
class HostedPlugin;

// A top-level window that hosts a plug-in's editor the way a host does: sized to the rectangle the editor
// reports (request 13), the editor opened inside it (request 14), editor idle (request 19) sent about every
// 50 ms while the message loop runs, and the editor closed (request 15) before the window goes.
// Key presses and releases (requests 59 and 60) and the mouse wheel (vendor request 50) are forwarded to
// the editor; PageUp and PageDown step through the programs, and the title and a strip under the editor
// name the current program. A menu bar loads and saves presets, undoes and redoes edits (also Ctrl+Z, Ctrl+Y
// and Ctrl+Shift+Z) and picks programs. The window keeps the editor's size: it cannot be maximised. Windows
// only; one thread.
class EditorWindow {
public:
    static constexpr std::uint32_t idleIntervalMs = 50;

    static constexpr int stripHeight = 20; // pixels under the editor that name the program

    explicit EditorWindow(HostedPlugin& plugin);
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

    // The programs' names for the Program menu, read before the sound starts (reading them selects each).
    void setProgramNames(std::vector<std::string> names) { programNames = std::move(names); }
    // Asks the editor for a zoom in percent before it opens (0: the monitor's DPI); the editor's own choice
    // otherwise. The process is made per-monitor DPI aware first, so the DPI is the monitor's.
    void setZoom(int percent) { zoom = percent; }
    // False with a message when the plug-in has no editor or the window cannot be made.
    bool open(const std::string& title, std::string& error);
    // Closes the editor, then the window. Safe to call twice.
    void close();
    bool isOpen() const noexcept { return window != nullptr; }

    // Runs the message loop until the window is closed or, for seconds >= 0, that much time has passed.
    void run(double seconds);
    // Handles what is pending and keeps idling until nothing is left to paint (at least two idle calls).
    void settle();
    void idle();
    // The client area's pixels, three bytes each (red, green, blue), rows from the top.
    bool capture(std::vector<std::uint8_t>& rgb, int& width, int& height) const;

    // Where the editor's top-left pixel is on the screen.
    void screenOrigin(int& x, int& y) const;
    int editorWidth() const noexcept { return width; }
    int editorHeight() const noexcept { return height; }
    void* handle() const noexcept { return window; }
    int idleCount() const noexcept { return idles; }

    // Called by the window procedure when the user closes the window, or picks a menu command.
    void onCloseRequest();
    void onCommand(unsigned command);
    // The window moved to a monitor of another DPI: an editor left to follow the DPI takes the new one.
    void onDpiChanged();
    // Undo or redo the last step of the user's edits; false when there is none.
    bool undo();
    bool redo();

    // Selects the program delta places on (wrapping round) and shows it in the title.
    void stepProgram(int delta);
    // The window's title: the text given to open, the current program's number and name.
    std::string title() const;
    // The strip's text: the current program's number and name.
    std::string programLine() const { return shownProgram; }

private:
    // Dispatches what is queued; false once the window is gone.
    bool pump();
    // Hands keys and wheel turns meant for this window to the plug-in; true when one was taken.
    bool forwardInput(const tagMSG& message);
    // Keys the host keeps for itself (Ctrl with Z, Y, O, S or Q); true when one was taken.
    bool hostShortcut(const tagMSG& message);
    void updateTitle();
    void addMenuAndStrip();
    // Reads the editor's rectangle; false when it has none.
    bool readEditorSize(std::string& error);
    // The window's client area fitted to the editor and the strip.
    void fitToEditor();
    void selectProgram(int program);
    void loadPresetFromUser();

    HostedPlugin& plugin;
    void* window = nullptr;
    int width = 0;
    int height = 0;
    int idles = 0;
    bool editorOpen = false;
    std::uint32_t lastIdle = 0;
    std::string baseTitle;
    std::string shownTitle;
    std::string shownProgram;
    void* strip = nullptr;
    EditorMenu menu;
    std::vector<std::string> programNames;
    std::unique_ptr<EditHistory> history;
    int zoom = -1; // none asked for
};

} // namespace chorus::host
