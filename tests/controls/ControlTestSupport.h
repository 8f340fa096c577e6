#pragma once

#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiControlListener.h"
#include "gui/core/GuiFrame.h"
#include "tests/gui/PixelProbe.h"
#include "tests/gui/ScriptedPlatform.h"
#include "tests/gui/TestHost.h"

#include <vector>

namespace chorus::test {

// Mouse bits as the platform reports them (physical buttons, not yet swapped).
inline constexpr std::uint32_t left = GuiPlatform::physicalLeft;
inline constexpr std::uint32_t shift = GuiPlatform::physicalShift;
inline constexpr std::uint32_t ctrl = GuiPlatform::physicalControl;
inline constexpr std::uint32_t alt = GuiPlatform::physicalAlt;

// One controlChanged call: which control and its value then.
struct Change {
    GuiControl* control;
    float value;
};

// Records every controlChanged and, as the editor does, repaints the control that changed.
class RecordingListener : public GuiControlListener {
public:
    void controlChanged(GuiDrawContext& context, GuiControl* control) override;
    std::vector<float> values() const;

    std::vector<Change> changes;
    bool repaints = true;
};

} // namespace chorus::test
