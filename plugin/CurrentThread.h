#pragma once

#include <cstdint>

namespace chorus {

// The system's identifier of the calling thread; never 0, which callers keep for "no thread". Asking
// allocates nothing, so the audio thread may ask.
std::uint32_t currentThreadId() noexcept;

} // namespace chorus
