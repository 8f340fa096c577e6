#pragma once

namespace chorus {

// Counts the GDI objects and device contexts the toolkit's scoped holders currently own, so that leaks
// show up as a count that does not return to its starting value (the system's own counter is not
// available everywhere). User-interface thread only.
class GuiGdiCounter {
public:
    static int live() noexcept;
    static void opened() noexcept;
    static void closed() noexcept;
};

} // namespace chorus
