#include "gui/core/GuiOleScope.h"

#include <ole2.h>
#include <windows.h>

namespace chorus {

// S_FALSE (the thread had it already) counts as well: OLE counts its initialisations per thread, so the
// matching uninitialise gives the thread back as it was.
GuiOleScope::GuiOleScope() noexcept
    : thread(static_cast<std::uint32_t>(GetCurrentThreadId())),
      initialised(SUCCEEDED(OleInitialize(nullptr))) {}

GuiOleScope::~GuiOleScope() {
    if (initialised && thread == static_cast<std::uint32_t>(GetCurrentThreadId())) {
        OleUninitialize();
    }
}

} // namespace chorus
