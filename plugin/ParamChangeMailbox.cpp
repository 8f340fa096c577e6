#include "plugin/ParamChangeMailbox.h"

#include "dsp/ParameterSet.h"
#include "plugin/CurrentThread.h"

#include <algorithm>

namespace chorus {

ParamChangeMailbox::ParamChangeMailbox(int32_t parameterCount)
    : count(std::max(parameterCount, 0)), slots(std::make_unique<Slot[]>(static_cast<std::size_t>(count))) {}

void ParamChangeMailbox::bindToCurrentThread() noexcept {
    boundThread.store(currentThreadId(), std::memory_order_relaxed);
}

bool ParamChangeMailbox::onBoundThread() const noexcept {
    return boundThread.load(std::memory_order_relaxed) == currentThreadId();
}

void ParamChangeMailbox::post(int32_t index, float value) noexcept {
    if (index < 0 || index >= count) {
        otherChanged.store(true, std::memory_order_release);
        return;
    }
    Slot& slot = slots[static_cast<std::size_t>(index)];
    // The value first: whoever sees the flag then reads this value or a later one.
    slot.value.store(value, std::memory_order_relaxed);
    slot.changed.store(true, std::memory_order_release);
}

void ParamChangeMailbox::postProgramChange() noexcept {
    programChanged.store(true, std::memory_order_release);
}

void ParamChangeMailbox::clear() noexcept {
    programChanged.store(false, std::memory_order_relaxed);
    otherChanged.store(false, std::memory_order_relaxed);
    for (int32_t i = 0; i < count; ++i) {
        slots[static_cast<std::size_t>(i)].changed.store(false, std::memory_order_relaxed);
    }
}

float ParamChangeMailbox::valueToShow(const ParameterSet& parameters, int32_t index, bool posted,
                                      float value) {
    if (posted && parameters.toReal(index, value) == parameters.getRealValue(index)) {
        return value;
    }
    return parameters.getNormalizedValue(index);
}

} // namespace chorus
