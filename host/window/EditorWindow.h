#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct tagMSG;

namespace chorus::host {

class HostedPlugin;

// A top-level window that hosts a plug-in's editor the way a host does: sized to the rectangle the editor
// reports (request 13), the editor opened inside it (request 14), editor idle (request 19) sent about every
// 50 ms while the message loop runs, and the editor closed (request 15) before the window goes.
// Key presses and releases (requests 59 and 60) and the mouse wheel (vendor request 50) are forwarded to
// the editor; PageUp and PageDown step through the programs, and the title names the current program.
// The window keeps the editor's size: it cannot be maximised. Windows only; one thread.
class EditorWindow {
public:
    static constexpr std::uint32_t idleIntervalMs = 50;

    explicit EditorWindow(HostedPlugin& plugin);
    ~EditorWindow();
    EditorWindow(const EditorWindow&) = delete;
    EditorWindow& operator=(const EditorWindow&) = delete;

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

    // Called by the window procedure when the user closes the window.
    void onCloseRequest();

    // Selects the program delta places on (wrapping round) and shows it in the title.
    void stepProgram(int delta);
    // The window's title: the text given to open, the current program's number and name.
    std::string title() const;

private:
    // Dispatches what is queued; false once the window is gone.
    bool pump();
    // Hands keys and wheel turns meant for this window to the plug-in; true when one was taken.
    bool forwardInput(const tagMSG& message);
    void updateTitle();

    HostedPlugin& plugin;
    void* window = nullptr;
    int width = 0;
    int height = 0;
    int idles = 0;
    bool editorOpen = false;
    std::uint32_t lastIdle = 0;
    std::string baseTitle;
    std::string shownTitle;
};

} // namespace chorus::host
