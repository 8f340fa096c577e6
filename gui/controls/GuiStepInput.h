#pragma once

#include "gui/core/GuiKeyRecord.h"
#include "gui/core/GuiPoint.h"

#include <cstdint>

namespace chorus {

class GuiControl;
class GuiDrawContext;

// Arrow keys and the mouse wheel for the knobs and sliders: each step moves the value by the control's
// wheel step (a tenth of it with the fine modifier), clamped to the range, inside one edit gesture.
class GuiStepInput {
public:
    // The host's arrow-key codes: 11 and 14 step down, 12 and 13 step up.
    static constexpr std::uint8_t firstArrowKey = 11;
    static constexpr std::uint8_t lastArrowKey = 14;
    static constexpr std::uint8_t fineModifierBit = 0x01;
    static constexpr float fineStepFactor = 0.1f;

    // Answers 1 when the key was an arrow key, else -1 (not handled).
    static std::int32_t keyPressed(GuiControl& control, const GuiKeyRecord& key);
    // Answers false when the control takes no mouse input or the distance is not a finite number.
    static bool wheelTurned(GuiControl& control, GuiDrawContext* context, float distance);
};

} // namespace chorus
