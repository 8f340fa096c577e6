#include "plugin/ModuleInstance.h"

namespace chorus {

namespace {
void* instanceHandle = nullptr;
}

void* moduleInstance() noexcept {
    return instanceHandle;
}
void setModuleInstance(void* instance) noexcept {
    instanceHandle = instance;
}

} // namespace chorus
