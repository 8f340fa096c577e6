#pragma once

#include "dsp/ChorusParameterSet.h"
#include "plugin/EffectShell.h"

#include <memory>

namespace chorus {

class ChorusProcessor;

// The concrete plug-in: two in, two out, five parameters, eight programs. Owns the parameter set, the
// engine and (through PluginBase) the editor; feeds audio blocks and parameter changes to the engine.
class ChorusEffect : public EffectShell {
public:
    static constexpr int32_t declaredInputs = 2;
    static constexpr int32_t declaredOutputs = 2;
    static constexpr int32_t paramTotal = chorusParamCount;
    static constexpr int32_t programTotal = 8;
    static constexpr int32_t oldProgramBytes = 80; // four values and the name
    static constexpr int32_t oldValueCount = 4;
    static constexpr int32_t categoryAnswer = 1;

    explicit ChorusEffect(HostCallback callback);
    ~ChorusEffect() override;

    void writeParam(int32_t index, float value) override;
    void processAdd(float** inputs, float** outputs, int32_t frames) override;
    void processReplace(float** inputs, float** outputs, int32_t frames) override;
    void onClose() override;
    void paramValueText(int32_t index, char* out) override;
    int32_t loadState(void* data, int32_t byteCount, bool programOnly) override;
    void suspend() override;
    void resume() override;
    int32_t paramFromText(int32_t index, char* text) override;
    int32_t category() override;
    int32_t vendorName(char* out) override;
    int32_t initialise() override;
    void rebuildEngine() override;
    void setup() override;
    bool acceptsSampleRate(float rate) override;

    virtual void createEditor();
    virtual void createEngine(int32_t inputCount, double rate, int32_t outputCount, int32_t frames);

    bool isReady() const noexcept { return ready; }
    ChorusProcessor* getEngine() const noexcept { return engine.get(); }

protected:
    std::string_view factoryBankText() const override;

private:
    void process(float** inputs, float** outputs, int32_t frames, bool accumulate);
    static void convertOldRow(const std::uint8_t* oldRow, std::uint8_t* row);

    std::unique_ptr<ChorusProcessor> engine;
    bool ready = false;
    std::unique_ptr<ChorusParameterSet> ownedParameters;
};

} // namespace chorus
