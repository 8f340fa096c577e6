#include "tests/controls/ControlTestSupport.h"

#include "gui/core/GuiControl.h"

namespace chorus::test {

void RecordingListener::controlChanged(GuiDrawContext& context, GuiControl* control) {
    changes.push_back({control, control->getValue()});
    if (repaints) {
        control->repaintIfNeeded(context);
    }
}

std::vector<float> RecordingListener::values() const {
    std::vector<float> result;
    for (const Change& change : changes) {
        result.push_back(change.value);
    }
    return result;
}

} // namespace chorus::test
