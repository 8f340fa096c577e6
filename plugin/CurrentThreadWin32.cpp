#include "plugin/CurrentThread.h"

#include <windows.h>

namespace chorus {

std::uint32_t currentThreadId() noexcept {
    return static_cast<std::uint32_t>(GetCurrentThreadId());
}

} // namespace chorus
