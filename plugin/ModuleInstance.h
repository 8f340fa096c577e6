#pragma once

namespace chorus {

// The module's instance handle, stored at load time (null in programs that link the plug-in statically,
// where it then stands for the program itself). Bitmaps, the window class and the version reader use it.
void* moduleInstance() noexcept;
void setModuleInstance(void* instance) noexcept;

} // namespace chorus
