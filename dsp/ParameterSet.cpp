#include "dsp/ParameterSet.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace chorus {

namespace {

constexpr auto relaxed = std::memory_order_relaxed;

void copyText(char (&field)[ParameterRecord::textSize], const char* text) {
    std::memset(field, 0, sizeof field);
    if (text != nullptr) {
        std::strncpy(field, text, sizeof field - 1);
    }
}

} // namespace

ParameterRecord& ParameterRecord::operator=(const ParameterRecord& other) noexcept {
    index = other.index;
    value.store(other.value.load(relaxed), relaxed);
    minimum = other.minimum;
    maximum = other.maximum;
    step = other.step;
    std::memcpy(name, other.name, sizeof name);
    std::memcpy(unit, other.unit, sizeof unit);
    tracked = other.tracked;
    storageSize = other.storageSize;
    defaultValue = other.defaultValue;
    changed.store(other.changed.load(relaxed), relaxed);
    scale = other.scale;
    stepCount = other.stepCount;
    return *this;
}

ParameterSet::ParameterSet(int count_)
    : blockStorage(static_cast<std::size_t>(std::max(count_, 0))), count(std::max(count_, 0)),
      records(static_cast<std::size_t>(count)) {}

ParameterSet::~ParameterSet() = default;

const ParameterRecord* ParameterSet::getRecord(int index) const {
    return inRange(index) ? &records[static_cast<std::size_t>(index)] : nullptr;
}

void ParameterSet::setRealValue(int index, float value) {
    if (!inRange(index)) {
        return;
    }
    ParameterRecord& record = records[static_cast<std::size_t>(index)];
    record.value.store(value, relaxed);
    if (record.tracked) {
        markChanged(index);
    }
}

float ParameterSet::takeRealValue(int index) {
    if (!inRange(index)) {
        return 0.0f;
    }
    const float value = getRealValue(index);
    if (records[static_cast<std::size_t>(index)].tracked) {
        clearChanged(index);
    }
    return value;
}

float ParameterSet::getRealValue(int index) const {
    return inRange(index) ? records[static_cast<std::size_t>(index)].value.load(relaxed) : 0.0f;
}

void ParameterSet::setNormalizedValue(int index, float normalized) {
    if (inRange(index)) {
        setRealValue(index, toReal(index, normalized));
    }
}

float ParameterSet::takeNormalizedValue(int index) {
    return inRange(index) ? toNormalized(index, takeRealValue(index)) : 0.0f;
}

float ParameterSet::getNormalizedValue(int index) const {
    return inRange(index) ? toNormalized(index, getRealValue(index)) : 0.0f;
}

// The part of a block that [offset, offset + length) covers; length 0 means the whole block.
// A range reaching past the block is cut at its end.
std::byte* ParameterSet::blockRange(int index, int& length, int offset) const {
    if (!inRange(index) || offset < 0) {
        return nullptr;
    }
    std::byte* block = blockStorage[static_cast<std::size_t>(index)].get();
    const int size = records[static_cast<std::size_t>(index)].storageSize;
    if (block == nullptr || offset >= size) {
        return nullptr;
    }
    if (length <= 0) {
        length = size;
    }
    length = std::min(length, size - offset);
    return block + offset;
}

void ParameterSet::writeBlock(int index, const void* source, int length, int offset) {
    std::byte* target = blockRange(index, length, offset);
    if (target == nullptr || source == nullptr) {
        return;
    }
    std::memcpy(target, source, static_cast<std::size_t>(length));
    if (records[static_cast<std::size_t>(index)].tracked) {
        markChanged(index);
    }
}

void ParameterSet::takeBlock(int index, void* destination, int length, int offset) {
    readBlock(index, destination, length, offset);
    if (inRange(index) && records[static_cast<std::size_t>(index)].tracked) {
        clearChanged(index);
    }
}

int ParameterSet::readBlock(int index, void* destination, int length, int offset) const {
    const std::byte* source = blockRange(index, length, offset);
    if (source == nullptr || destination == nullptr) {
        return 0;
    }
    std::memcpy(destination, source, static_cast<std::size_t>(length));
    return length;
}

// The count rises before the mark is set, and the mark is published with release: a thread that clears the
// mark (acquire) then always finds the count that includes it, so the clear never hits the floor of 0 and the
// count stays equal to the marks set whatever the interleaving. Counting after the mark let a concurrent
// clear find 0, skip its decrement, and leave the count one too high for good.
void ParameterSet::markChanged(int index) {
    if (!inRange(index)) {
        return;
    }
    changedCount.fetch_add(1, relaxed);
    if (records[static_cast<std::size_t>(index)].changed.exchange(1, std::memory_order_acq_rel) != 0) {
        changedCount.fetch_sub(1, relaxed);
    }
}

void ParameterSet::clearChanged(int index) {
    if (!inRange(index) ||
        records[static_cast<std::size_t>(index)].changed.exchange(0, std::memory_order_acq_rel) == 0) {
        return;
    }
    std::int32_t current = changedCount.load(relaxed);
    while (current > 0 && !changedCount.compare_exchange_weak(current, current - 1, relaxed)) {
    }
}

void ParameterSet::defineParameter(int index, float value, float minimum, float maximum, float step,
                                   const char* unit, const char* name, bool tracked, int storageSize) {
    ParameterRecord record;
    record.index = index;
    record.value.store(value, relaxed);
    record.minimum = minimum;
    record.maximum = maximum;
    record.step = step;
    copyText(record.unit, unit);
    copyText(record.name, name);
    record.tracked = tracked ? 1 : 0;
    record.storageSize = storageSize;
    record.defaultValue = value;
    record.changed.store(1, relaxed);
    defineParameterRecord(record);
}

void ParameterSet::defineParameterRecord(const ParameterRecord& source) {
    if (!inRange(source.index)) {
        return;
    }
    const auto slot = static_cast<std::size_t>(source.index);
    ParameterRecord& record = records[slot];
    record = source;
    // A caller's record may lack terminators: the texts are always read as C strings.
    record.name[ParameterRecord::textSize - 1] = '\0';
    record.unit[ParameterRecord::textSize - 1] = '\0';
    blockStorage[slot].reset();
    if (record.storageSize > 4) {
        blockStorage[slot] = std::make_unique<std::byte[]>(static_cast<std::size_t>(record.storageSize));
    }
    const float width = record.maximum - record.minimum;
    record.scale = width != 0.0f ? 1.0f / width : 0.0f;
    record.stepCount = record.step > 0.0f ? width / record.step : 0.0f;
    if (record.tracked) {
        changedCount.fetch_add(1, relaxed);
    }
}

void ParameterSet::clearAllChanged() {
    for (int i = 0; i < count; ++i) {
        clearChanged(i);
    }
    changedCount.store(0, relaxed);
}

void ParameterSet::markAllChanged() {
    clearAllChanged();
    for (int i = 0; i < count; ++i) {
        if (records[static_cast<std::size_t>(i)].tracked) {
            markChanged(i);
        }
    }
}

bool ParameterSet::isChanged(int index) const {
    return inRange(index) && records[static_cast<std::size_t>(index)].changed.load(relaxed) != 0;
}

float ParameterSet::toNormalized(int index, float value) const {
    if (!inRange(index)) {
        return 0.0f;
    }
    const ParameterRecord& record = records[static_cast<std::size_t>(index)];
    return (value - record.minimum) * record.scale;
}

// Stepped: q = floor(n * stepCount + 0.5) in double, v = q * step + minimum, and values closer to 0
// than one step are 0. Continuous: minimum + (maximum - minimum) * n. Neither clamps n.
float ParameterSet::toReal(int index, float normalized) const {
    if (!inRange(index)) {
        return 0.0f;
    }
    const ParameterRecord& record = records[static_cast<std::size_t>(index)];
    if (record.stepCount > 0.0f) {
        const double q =
            std::floor(static_cast<double>(normalized) * static_cast<double>(record.stepCount) + 0.5);
        const double v = q * static_cast<double>(record.step) + static_cast<double>(record.minimum);
        return static_cast<double>(record.step) > std::fabs(v) ? 0.0f : static_cast<float>(v);
    }
    return record.minimum + (record.maximum - record.minimum) * normalized;
}

bool ParameterSet::hasBlockStorage(int index) const {
    return inRange(index) && records[static_cast<std::size_t>(index)].storageSize != 4;
}

int ParameterSet::getStorageSize(int index) const {
    return inRange(index) ? std::max(records[static_cast<std::size_t>(index)].storageSize, 0) : 0;
}

float ParameterSet::getStepCount(int index) const {
    return inRange(index) ? records[static_cast<std::size_t>(index)].stepCount : 0.0f;
}

void ParameterSet::lowerHold(std::atomic<std::int16_t>& hold) {
    std::int16_t current = hold.load(relaxed);
    while (current > 0 &&
           !hold.compare_exchange_weak(current, static_cast<std::int16_t>(current - 1), relaxed)) {
    }
}

} // namespace chorus
