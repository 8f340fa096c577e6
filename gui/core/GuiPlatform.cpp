#include "gui/core/GuiPlatform.h"

#include "gui/core/GuiWin32Platform.h"

namespace chorus {

namespace {
GuiPlatform* installed = nullptr;
}

GuiPlatform& GuiPlatform::current() noexcept {
    static GuiWin32Platform win32;
    return installed != nullptr ? *installed : win32;
}

GuiPlatform* GuiPlatform::install(GuiPlatform* replacement) noexcept {
    GuiPlatform* before = installed;
    installed = replacement;
    return before;
}

} // namespace chorus
