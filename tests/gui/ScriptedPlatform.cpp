#include "tests/gui/ScriptedPlatform.h"

#include <utility>

namespace chorus::test {

ScriptedPlatform::ScriptedPlatform() {
    previous = GuiPlatform::install(this);
}

ScriptedPlatform::~ScriptedPlatform() {
    GuiPlatform::install(previous);
}

void ScriptedPlatform::script(std::vector<Step> newSteps) {
    steps = std::move(newSteps);
    nextStep = 0;
}

std::uint32_t ScriptedPlatform::readPhysicalInput() {
    ++reads;
    if (nextStep < steps.size()) {
        lastInput = steps[nextStep].input;
        cursor = steps[nextStep].cursor;
        ++nextStep;
    } else {
        lastInput = 0;
    }
    return lastInput;
}

GuiPoint ScriptedPlatform::readScreenCursor() {
    return cursor;
}

std::uint32_t ScriptedPlatform::tickCount() {
    return now;
}

void ScriptedPlatform::sleep(std::uint32_t milliseconds) {
    slept.push_back(milliseconds);
    now += milliseconds;
}

bool ScriptedPlatform::buttonsSwapped() {
    return swappedButtons;
}

std::vector<ScriptedPlatform::Step> dragScript(std::uint32_t buttons, const std::vector<GuiPoint>& path) {
    std::vector<ScriptedPlatform::Step> steps;
    for (const GuiPoint& point : path) {
        steps.push_back({buttons, point});
    }
    steps.push_back({0, path.empty() ? GuiPoint{} : path.back()});
    return steps;
}

} // namespace chorus::test
