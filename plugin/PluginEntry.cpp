// The module's export and load notification.
#include "plugin/ChorusEffect.h"
#include "plugin/ModuleInstance.h"
#include "plugin/PluginAbi.h"

#include <new>

#ifdef _WIN32
#include <windows.h>
#endif

// Exported as "main" (the module definition file on Windows, a symbol alias elsewhere).
extern "C" EffectDescriptor* CHORUS_CDECL pluginMain(HostCallback callback) {
    if (callback == nullptr) {
        return nullptr;
    }
    if (callback(nullptr, hostOpVersion, 0, 0, nullptr, 0.0f) == 0) {
        return nullptr;
    }
    chorus::ChorusEffect* effect = nullptr;
    try {
        effect = new (std::nothrow) chorus::ChorusEffect(callback);
        if (effect == nullptr) {
            return nullptr;
        }
        if (effect->initialise() != 0) {
            return effect->descriptor();
        }
    } catch (...) {
    }
    delete effect;
    return nullptr;
}

#ifdef _WIN32
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD, LPVOID) {
    chorus::setModuleInstance(instance);
    return TRUE;
}
#endif

#if !defined(_WIN32) && defined(CHORUS_EXPORT_MAIN)
// ELF has no module definition file: give the entry its exported name directly (only in the module; a
// program linking this file keeps its own main).
extern "C" __attribute__((visibility("default"), alias("pluginMain"))) EffectDescriptor*
exportedMain(HostCallback callback) __asm__("main");
#endif
