#pragma once

#include "gui/core/GuiPoint.h"

#include <cstdint>

namespace chorus {

// The live reads the toolkit makes while it tracks the mouse or paces its idle work: physical buttons and
// modifier keys, the screen cursor, the millisecond clock and sleeping. The product uses the Win32 calls
// (GuiWin32Platform); tests install a scripted replacement.
class GuiPlatform {
public:
    // Bits of readPhysicalInput: the physical buttons, before any button swap is applied.
    enum PhysicalInput : std::uint32_t {
        physicalLeft = 0x01,
        physicalMiddle = 0x02,
        physicalRight = 0x04,
        physicalShift = 0x08,
        physicalControl = 0x10,
        physicalAlt = 0x20,
    };

    virtual ~GuiPlatform() = default;

    virtual std::uint32_t readPhysicalInput() = 0;
    virtual GuiPoint readScreenCursor() = 0;
    virtual std::uint32_t tickCount() = 0;
    virtual void sleep(std::uint32_t milliseconds) = 0;
    // Whether the system swaps the primary and secondary mouse buttons.
    virtual bool buttonsSwapped() = 0;

    // The platform in use: the installed one, or the Win32 one.
    static GuiPlatform& current() noexcept;
    // Installs a replacement (null goes back to Win32); answers the one installed before.
    static GuiPlatform* install(GuiPlatform* replacement) noexcept;
};

} // namespace chorus
