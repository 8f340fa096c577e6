#pragma once

#include "plugin/PluginAbi.h"

#include <string>

namespace chorus::host {

// Loads a plug-in module and finds its "main" export. The module stays loaded while the loader lives.
class ModuleLoader {
public:
    ModuleLoader() = default;
    ~ModuleLoader();
    ModuleLoader(const ModuleLoader&) = delete;
    ModuleLoader& operator=(const ModuleLoader&) = delete;

    // False with a message in error when the file cannot be loaded or has no "main".
    bool load(const std::string& path, std::string& error);
    ModuleMainEntry entry() const noexcept { return mainEntry; }
    void unload() noexcept;

private:
    void* handle = nullptr;
    ModuleMainEntry mainEntry = nullptr;
};

} // namespace chorus::host
