#pragma once

#include "gui/core/GuiNativeHandles.h"

namespace chorus {

// The module whose resources and window class the toolkit uses: by default the module the toolkit is
// linked into (the plug-in DLL, or a test program), or the one set explicitly.
class GuiModule {
public:
    static GuiInstanceHandle instance() noexcept;
    // Null goes back to the default.
    static void setInstance(GuiInstanceHandle module) noexcept;
};

} // namespace chorus
