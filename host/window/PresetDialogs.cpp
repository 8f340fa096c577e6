#include "host/window/PresetDialogs.h"

#include "host/session/HostedPlugin.h"
#include "host/session/PresetFile.h"
#include "host/session/Session.h"

// The dialogs' header needs the window system's types first.
// clang-format off
#include <windows.h>
#include <commdlg.h>
// clang-format on

#include <string>

namespace chorus::host {

namespace {

constexpr const char* presetFilter = "Chorus presets (*.qcp)\0*.qcp\0All files\0*.*\0";
constexpr const char* presetExtension = "qcp";
constexpr DWORD pathCapacity = MAX_PATH * 4;

// A file name asked of the user; empty when cancelled.
std::string askPath(void* window, const char* title, bool save) {
    std::string path(pathCapacity, '\0');
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = static_cast<HWND>(window);
    dialog.lpstrFilter = presetFilter;
    dialog.lpstrFile = path.data();
    dialog.nMaxFile = pathCapacity;
    dialog.lpstrTitle = title;
    dialog.lpstrDefExt = presetExtension;
    dialog.Flags = OFN_NOCHANGEDIR | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    return chosen ? std::string(path.c_str()) : std::string();
}

void showError(void* window, const std::string& error, const char* title) {
    MessageBoxA(static_cast<HWND>(window), error.c_str(), title, MB_OK | MB_ICONWARNING);
}

} // namespace

bool PresetDialogs::load(void* window, HostedPlugin& plugin) {
    const std::string path = askPath(window, "Load preset", false);
    if (path.empty()) {
        return false;
    }
    Preset preset;
    std::string error;
    if (!PresetFile::read(path, preset, error) || !Session::loadPreset(path, preset, plugin, error)) {
        showError(window, error, "Load preset");
        return false;
    }
    if (preset.kind == PresetKind::bank && preset.selectedProgram >= 0 &&
        preset.selectedProgram < plugin.descriptor()->programCount) {
        plugin.dispatch(opSelectProgram, 0, preset.selectedProgram);
    }
    return true;
}

void PresetDialogs::save(void* window, HostedPlugin& plugin, bool bank) {
    const char* title = bank ? "Save bank" : "Save program";
    const std::string path = askPath(window, title, true);
    std::string error;
    if (!path.empty() &&
        !Session::savePreset(path, bank ? PresetKind::bank : PresetKind::program, plugin, error)) {
        showError(window, error, title);
    }
}

} // namespace chorus::host
