#include "host/session/ModuleLoader.h"

#include <windows.h>

namespace chorus::host {

ModuleLoader::~ModuleLoader() {
    unload();
}

bool ModuleLoader::load(const std::string& path, std::string& error) {
    unload();
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = "cannot find the module " + path;
        return false;
    }
    HMODULE module = LoadLibraryA(path.c_str());
    if (module == nullptr) {
        error = "cannot load the module " + path + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    handle = module;
    FARPROC symbol = GetProcAddress(module, "main");
    if (symbol == nullptr) {
        error = "the module " + path + " has no entry \"main\"";
        unload();
        return false;
    }
    mainEntry = reinterpret_cast<ModuleMainEntry>(reinterpret_cast<void*>(symbol));
    return true;
}

void ModuleLoader::unload() noexcept {
    if (handle != nullptr) {
        FreeLibrary(static_cast<HMODULE>(handle));
    }
    handle = nullptr;
    mainEntry = nullptr;
}

} // namespace chorus::host
