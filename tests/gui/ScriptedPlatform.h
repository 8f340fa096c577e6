#pragma once

#include "gui/core/GuiPlatform.h"

#include <cstdint>
#include <vector>

namespace chorus::test {

// A replacement for the live system: every input read takes the next scripted step (physical buttons and
// modifiers plus the screen cursor at that moment); once the script is used up the buttons read as released
// at the last cursor position, so a drag loop always ends. The clock only moves by sleeping or by advance().
// Installed for its lifetime.
class ScriptedPlatform final : public GuiPlatform {
public:
    struct Step {
        std::uint32_t input = 0;
        GuiPoint cursor;
    };

    ScriptedPlatform();
    ~ScriptedPlatform() override;
    ScriptedPlatform(const ScriptedPlatform&) = delete;
    ScriptedPlatform& operator=(const ScriptedPlatform&) = delete;

    void script(std::vector<Step> steps);
    void setCursor(GuiPoint screen) { cursor = screen; }
    void setSwapped(bool swapped) { swappedButtons = swapped; }
    void setTime(std::uint32_t milliseconds) { now = milliseconds; }
    void advance(std::uint32_t milliseconds) { now += milliseconds; }

    std::uint32_t readPhysicalInput() override;
    GuiPoint readScreenCursor() override;
    std::uint32_t tickCount() override;
    void sleep(std::uint32_t milliseconds) override;
    bool buttonsSwapped() override;

    int inputReads() const { return reads; }
    const std::vector<std::uint32_t>& sleeps() const { return slept; }

private:
    GuiPlatform* previous = nullptr;
    std::vector<Step> steps;
    std::size_t nextStep = 0;
    std::uint32_t lastInput = 0;
    GuiPoint cursor;
    std::uint32_t now = 1000;
    bool swappedButtons = false;
    int reads = 0;
    std::vector<std::uint32_t> slept;
};

// A press script: the press itself (held buttons at the press point), then each move with the buttons
// held, then the release at the last point.
std::vector<ScriptedPlatform::Step> dragScript(std::uint32_t buttons, const std::vector<GuiPoint>& path);

} // namespace chorus::test
