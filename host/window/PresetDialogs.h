#pragma once

namespace chorus::host {

class HostedPlugin;

// Loading and saving presets from the host window, the file asked of the user in the system's dialog; a
// failure is shown in a message box and changes nothing. Windows only.
class PresetDialogs {
public:
    // A bank replaces every program and selects the one it was saved on; a program fills the selected one.
    // True when a preset was loaded.
    static bool load(void* window, HostedPlugin& plugin);
    // The bank, or the selected program.
    static void save(void* window, HostedPlugin& plugin, bool bank);
};

} // namespace chorus::host
