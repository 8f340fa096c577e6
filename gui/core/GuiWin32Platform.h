#pragma once

#include "gui/core/GuiPlatform.h"

namespace chorus {

// The live system: asynchronous key state, cursor position, tick count, Sleep.
class GuiWin32Platform final : public GuiPlatform {
public:
    std::uint32_t readPhysicalInput() override;
    GuiPoint readScreenCursor() override;
    std::uint32_t tickCount() override;
    void sleep(std::uint32_t milliseconds) override;
    bool buttonsSwapped() override;
};

} // namespace chorus
