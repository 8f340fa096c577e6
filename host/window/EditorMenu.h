#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace chorus::host {

// The host window's menu bar: File (load a preset, save the bank or the program, quit), Edit (undo, redo)
// and Program (the plug-in's programs by name, the selected one checked). Windows only; one thread.
class EditorMenu {
public:
    enum Command : unsigned {
        loadPreset = 100,
        saveBank,
        saveProgram,
        quit,
        undo,
        redo,
        firstProgram = 1000, // + the program's number
    };

    EditorMenu() = default;
    EditorMenu(const EditorMenu&) = delete;
    EditorMenu& operator=(const EditorMenu&) = delete;

    // Builds the bar with the programs' names and attaches it to the window.
    bool attach(void* window, const std::vector<std::string>& programs);
    // The command a key stands for with the modifiers held now (Ctrl+Z undo, Ctrl+Y and Ctrl+Shift+Z redo,
    // Ctrl+O load, Ctrl+S save the bank, Ctrl+Q quit); 0 for none.
    static unsigned commandForKey(std::uintptr_t virtualKey);
    // Checks the selected program and greys what cannot be undone or redone.
    void show(int program, bool canUndo, bool canRedo);

private:
    void* bar = nullptr; // the window destroys it with itself
    void* programMenu = nullptr;
    void* editMenu = nullptr;
    int programCount = 0;
    int shownProgram = -1;
};

} // namespace chorus::host
