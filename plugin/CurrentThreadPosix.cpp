#include "plugin/CurrentThread.h"

#include <unistd.h>

namespace chorus {

std::uint32_t currentThreadId() noexcept {
    return static_cast<std::uint32_t>(gettid());
}

} // namespace chorus
