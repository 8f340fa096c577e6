#pragma once

#include "plugin/PluginBaseEx.h"
#include "plugin/ProgramStore.h"

#include <memory>
#include <string_view>

namespace chorus {

class ParameterSet;

// Turns the host interface into a parameter-and-program machine: parameter requests go through a
// ParameterSet, programs live in a ProgramStore exchanged with the host as big-endian chunks, and the
// shell decides when the signal engine must be rebuilt. A concrete effect supplies the parameter set,
// the engine, the processing hook and the factory bank.
class EffectShell : public PluginBaseEx {
public:
    static constexpr int32_t programNameSize = 64; // bytes per program name, terminator included
    static constexpr int32_t wheelIndex = CHORUS_WHEEL_INDEX;
    static constexpr int32_t wheelValue = CHORUS_WHEEL_VALUE;
    static constexpr int32_t zoomValue = CHORUS_ZOOM_VALUE;

    EffectShell(HostCallback callback, int32_t inputs, int32_t outputs, int32_t uniqueId, int32_t paramCount,
                int32_t valuesPerProgram, int32_t programCount);
    ~EffectShell() override;

    void writeParam(int32_t index, float value) override;
    float readParam(int32_t index) override;
    void applyUserParam(int32_t index, float value) override;
    void processAdd(float** inputs, float** outputs, int32_t frames) override;
    void processReplace(float** inputs, float** outputs, int32_t frames) override;
    void selectProgram(int32_t program) override;
    void renameProgram(char* name) override;
    void programName(char* out) override;
    void paramUnit(int32_t index, char* out) override;
    void paramValueText(int32_t index, char* out) override;
    void paramName(int32_t index, char* out) override;
    int32_t saveState(void** data, bool programOnly) override;
    int32_t loadState(void* data, int32_t byteCount, bool programOnly) override;
    void setSampleRate(float rate) override;
    void setBlockSize(int32_t frames) override;
    int32_t paramFromText(int32_t index, char* text) override;
    int32_t channelLayout(int32_t inputLayout, void* outputLayout) override;
    int32_t setBlockSizeAndRate(int32_t frames, float rate) override;
    int32_t vendorName(char* out) override;
    int32_t vendorSpecific(int32_t index, int32_t value, void* ptr, float opt) override;

    virtual void processHook(float** inputs, float** outputs, int32_t frames, bool accumulate);
    virtual void programNameOfRow(char* out, int32_t row);
    virtual int32_t initialise();
    virtual void buildProgramStore();
    virtual void rebuildEngine();
    virtual void setup();
    virtual void storeProgram(int32_t row);
    virtual void loadProgram(int32_t row);
    virtual void loadFactoryBank();
    virtual int32_t connectedInputCount();
    virtual int32_t connectedOutputCount();
    virtual bool configurationChanged();
    // Rates the effect can run at; others are ignored wherever a rate arrives.
    virtual bool acceptsSampleRate(float rate);

    ParameterSet* parameterSet() const noexcept { return parameters; }
    ProgramStore* programStore() const noexcept { return store.get(); }
    bool isEngineBuilt() const noexcept { return engineBuilt; }
    int32_t getEngineInputs() const noexcept { return engineInputs; }
    int32_t getEngineOutputs() const noexcept { return engineOutputs; }
    int32_t getProgramBytes() const noexcept { return programBytes; }
    void setWheelEnabled(bool enabled) noexcept { wheelEnabled = enabled; }

    // Reads one number the way "%f" does, but independent of the locale and with "," as a decimal point.
    // False when the text holds no number.
    static bool parseNumber(const char* text, float& value);

protected:
    // The factory bank as upper-case hexadecimal digits, two per byte; empty when there is none.
    virtual std::string_view factoryBankText() const;
    // The channel count handed to the engine for a reported count: at least 1 and at most the declared count.
    static int32_t engineChannels(int32_t reported, int32_t declared) noexcept;

    int32_t normalizedCount;
    int32_t valuesPerProgram;
    int32_t programSlots;
    int32_t programBytes = 0;
    std::unique_ptr<ProgramStore> store;
    ParameterSet* parameters = nullptr;
    int32_t previousBlockSize;
    int32_t engineInputs;
    int32_t engineOutputs;
    float previousSampleRate;
    bool forceRebuild = false;
    bool engineBuilt = false;
    bool wheelEnabled = true;

private:
    // The out-of-range case of parseNumber: the nearest float for a number too small for one.
    static bool readBeyondFloat(const char* cursor, const char* end, float& value);
    void process(float** inputs, float** outputs, int32_t frames, bool accumulate);
};

} // namespace chorus
