#include "host/session/ModuleLoader.h"

#include <dlfcn.h>
#include <sys/stat.h>

namespace chorus::host {

ModuleLoader::~ModuleLoader() {
    unload();
}

bool ModuleLoader::load(const std::string& path, std::string& error) {
    unload();
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        error = "cannot find the module " + path;
        return false;
    }
    // dlopen searches the library path for names without a slash: always give it a path.
    const std::string openPath = path.find('/') == std::string::npos ? "./" + path : path;
    handle = dlopen(openPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        error = "cannot load the module " + path + (reason != nullptr ? std::string(": ") + reason : "");
        return false;
    }
    void* symbol = dlsym(handle, "main");
    if (symbol == nullptr) {
        error = "the module " + path + " has no entry \"main\"";
        unload();
        return false;
    }
    mainEntry = reinterpret_cast<ModuleMainEntry>(symbol);
    return true;
}

void ModuleLoader::unload() noexcept {
    if (handle != nullptr) {
        dlclose(handle);
    }
    handle = nullptr;
    mainEntry = nullptr;
}

} // namespace chorus::host
