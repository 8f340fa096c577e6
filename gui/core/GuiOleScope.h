#pragma once

#include <cstdint>

namespace chorus {

// OLE on the editor's window thread for as long as the scope lives (drag and drop needs it). Only what
// this scope initialised is uninitialised, and only on the thread that initialised it: ended on another
// thread (a host destroying the effect elsewhere with the editor still open) it leaves that thread's OLE,
// which belongs to the host, as it was.
class GuiOleScope {
public:
    GuiOleScope() noexcept;
    ~GuiOleScope();
    GuiOleScope(const GuiOleScope&) = delete;
    GuiOleScope& operator=(const GuiOleScope&) = delete;

    // False when the thread runs another apartment model, in which OLE cannot be initialised.
    bool isInitialised() const noexcept { return initialised; }

private:
    std::uint32_t thread = 0;
    bool initialised = false;
};

} // namespace chorus
