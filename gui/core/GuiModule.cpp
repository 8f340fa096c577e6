#include "gui/core/GuiModule.h"

#include <windows.h>

namespace chorus {

namespace {
GuiInstanceHandle chosen = nullptr;

GuiInstanceHandle containingModule() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&containingModule), &module);
    return module;
}
} // namespace

GuiInstanceHandle GuiModule::instance() noexcept {
    if (chosen != nullptr) {
        return chosen;
    }
    static const GuiInstanceHandle own = containingModule();
    return own;
}

void GuiModule::setInstance(GuiInstanceHandle module) noexcept {
    chosen = module;
}

} // namespace chorus
