#pragma once

#include "plugin/PluginAbi.h"

#include <cstdint>

namespace chorus::host {

// Key messages of the window system as the key records a plug-in takes. Windows only.
class KeyTranslation {
public:
    // The key record of a key message's virtual key: the character it stands for, the host's code for the
    // arrow keys (0 for others) and the modifiers held now.
    static KeyRecord recordFor(std::uintptr_t virtualKey);
    // Whether keys sent to target belong to the host window: the window itself or a window inside it other
    // than a text entry, which keeps its own keys.
    static bool takesKeysFor(void* target, void* host);
    // Whether the key is held now.
    static bool held(int virtualKey);
};

} // namespace chorus::host
