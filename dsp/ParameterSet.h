#pragma once

#include "dsp/ParameterRecord.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace chorus {

// The effect's parameter table. Values live in their own units; hosts and editors exchange them
// normalised to 0..1. Changed marks let the engine take up only what changed since it last looked.
// Operations given an index outside the table do nothing (and return 0).
class ParameterSet {
public:
    explicit ParameterSet(int count);
    virtual ~ParameterSet();
    ParameterSet(const ParameterSet&) = delete;
    ParameterSet& operator=(const ParameterSet&) = delete;

    virtual void setRealValue(int index, float value);
    virtual float takeRealValue(int index);
    virtual float getRealValue(int index) const;
    virtual void setNormalizedValue(int index, float normalized);
    virtual float takeNormalizedValue(int index);
    virtual float getNormalizedValue(int index) const;
    virtual void writeBlock(int index, const void* source, int length, int offset);
    virtual void takeBlock(int index, void* destination, int length, int offset);
    virtual int readBlock(int index, void* destination, int length, int offset) const;
    virtual void markChanged(int index);
    virtual void clearChanged(int index);
    virtual void defineParameter(int index, float value, float minimum, float maximum, float step,
                                 const char* unit, const char* name, bool tracked, int storageSize);
    virtual void defineParameterRecord(const ParameterRecord& record);

    void clearAllChanged();
    void markAllChanged();
    bool isChanged(int index) const;
    float toNormalized(int index, float value) const;
    float toReal(int index, float normalized) const;
    bool hasBlockStorage(int index) const;
    int getStorageSize(int index) const;
    float getStepCount(int index) const;

    int getCount() const { return count; }
    int getChangedCount() const { return changedCount.load(std::memory_order_relaxed); }
    // The record of a parameter, or null for an index outside the table.
    const ParameterRecord* getRecord(int index) const;

    // Asks the audio entries to tell the engine that parameters were reset; held off while resetHold > 0.
    bool isResetPending() const { return resetPending.load(std::memory_order_relaxed) != 0; }
    void setResetPending(bool pending) { resetPending.store(pending ? 1 : 0, std::memory_order_relaxed); }
    int getResetHold() const { return resetHold.load(std::memory_order_relaxed); }
    void raiseResetHold() { resetHold.fetch_add(1, std::memory_order_relaxed); }
    void lowerResetHold() { lowerHold(resetHold); }
    // While applyHold > 0 the audio entries apply no changed parameters (a program is half loaded).
    int getApplyHold() const { return applyHold.load(std::memory_order_relaxed); }
    void raiseApplyHold() { applyHold.fetch_add(1, std::memory_order_relaxed); }
    void lowerApplyHold() { lowerHold(applyHold); }

private:
    bool inRange(int index) const { return index >= 0 && index < count; }
    std::byte* blockRange(int index, int& length, int offset) const;
    static void lowerHold(std::atomic<std::int16_t>& hold);

    std::vector<std::unique_ptr<std::byte[]>> blockStorage;
    int count;
    std::atomic<std::int32_t> changedCount{0};
    std::atomic<std::uint8_t> resetPending{1};
    std::atomic<std::int16_t> resetHold{0};
    std::atomic<std::int16_t> applyHold{0};
    std::vector<ParameterRecord> records;
};

} // namespace chorus
