#include "host/window/EditorMenu.h"

#include "host/window/KeyTranslation.h"

#include <windows.h>

namespace chorus::host {

namespace {

void checkItem(HMENU menu, UINT id, bool checked) {
    CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

} // namespace

bool EditorMenu::attach(void* window, const std::vector<std::string>& programs) {
    HMENU file = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, loadPreset, "&Load preset...\tCtrl+O");
    AppendMenuA(file, MF_STRING, saveBank, "Save &bank...\tCtrl+S");
    AppendMenuA(file, MF_STRING, saveProgram, "Save &program...");
    AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(file, MF_STRING, quit, "&Quit\tCtrl+Q");
    HMENU edit = CreatePopupMenu();
    AppendMenuA(edit, MF_STRING, undo, "&Undo\tCtrl+Z");
    AppendMenuA(edit, MF_STRING, redo, "&Redo\tCtrl+Y");
    HMENU program = CreatePopupMenu();
    for (std::size_t p = 0; p < programs.size(); ++p) {
        // Programs 0 to 9 take their digit as the menu's key: Alt+P, then 2 picks program 2.
        const std::string label = (p < 10 ? "&" : "") + std::to_string(p) + ": " + programs[p];
        AppendMenuA(program, MF_STRING, firstProgram + p, label.c_str());
    }
    HMENU menuBar = CreateMenu();
    AppendMenuA(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
    AppendMenuA(menuBar, MF_POPUP, reinterpret_cast<UINT_PTR>(program), "&Program");
    if (!SetMenu(static_cast<HWND>(window), menuBar)) {
        DestroyMenu(menuBar); // its pop-ups with it
        return false;
    }
    bar = menuBar;
    editMenu = edit;
    programMenu = program;
    programCount = static_cast<int>(programs.size());
    shownProgram = -1;
    return true;
}

void EditorMenu::show(int program, bool canUndo, bool canRedo) {
    if (bar == nullptr) {
        return;
    }
    if (program != shownProgram) {
        for (int p = 0; p < programCount; ++p) {
            checkItem(static_cast<HMENU>(programMenu), firstProgram + static_cast<unsigned>(p), p == program);
        }
        shownProgram = program;
    }
    EnableMenuItem(static_cast<HMENU>(editMenu), undo, MF_BYCOMMAND | (canUndo ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(static_cast<HMENU>(editMenu), redo, MF_BYCOMMAND | (canRedo ? MF_ENABLED : MF_GRAYED));
}

unsigned EditorMenu::commandForKey(std::uintptr_t virtualKey) {
    if (!KeyTranslation::held(VK_CONTROL) || KeyTranslation::held(VK_MENU)) {
        return 0;
    }
    const bool shift = KeyTranslation::held(VK_SHIFT);
    switch (virtualKey) {
    case 'Z':
        return shift ? redo : undo;
    case 'Y':
        return redo;
    case 'O':
        return loadPreset;
    case 'S':
        return saveBank;
    case 'Q':
        return quit;
    default:
        return 0;
    }
}

} // namespace chorus::host
