#include "plugin/ChorusEffect.h"

#include "dsp/ChorusParameterSet.h"
#include "dsp/ChorusProcessor.h"
#include "plugin/BigEndian.h"
#include "plugin/EditorFactory.h"
#include "plugin/EditorInterface.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <new>

namespace chorus {

namespace {

constexpr char chorusVendorName[] = "Quillfen Digital Audio";
constexpr float oldStagesScale = 0.6666667f; // old Stages values spread over three steps instead of two
constexpr float oldLayoutShape = 0.5f;       // the old layout had no Shape: the sine

// printf's "%<width>.<precision>f" without the locale's decimal point.
void formatFixed(float value, int width, int precision, char* out) {
    char digits[PluginBase::textSize];
    const auto result =
        std::to_chars(digits, digits + sizeof digits - 1, value, std::chars_format::fixed, precision);
    if (result.ec != std::errc()) {
        out[0] = '\0';
        return;
    }
    const int length = static_cast<int>(result.ptr - digits);
    const int padding = std::max(0, width - length);
    std::memset(out, ' ', static_cast<size_t>(padding));
    std::memcpy(out + padding, digits, static_cast<size_t>(length));
    out[padding + length] = '\0';
}

// The factory bank: per program the five normalised values big-endian, then the name padded to 64 bytes.
constexpr char factoryBank[] =
    // Default
    "3F0000003ECCCCCD3ECCCCCD000000003F000000"
    "44656661756C7400000000000000000000000000000000000000000000000000"
    "0000000000000000000000000000000000000000000000000000000000000000"
    // Wobble
    "3F0000003F4CCCCD3F4CCCCD000000003F000000"
    "576F62626C650000000000000000000000000000000000000000000000000000"
    "0000000000000000000000000000000000000000000000000000000000000000"
    // Slow Step
    "3F0000003DCCCCCD3F8000003EAAAAAB3F800000"
    "536C6F7720537465700000000000000000000000000000000000000000000000"
    "0000000000000000000000000000000000000000000000000000000000000000"
    // Light
    "3F0000003E4CCCCD3DCCCCCD0000000000000000"
    "4C69676874000000000000000000000000000000000000000000000000000000"
    "0000000000000000000000000000000000000000000000000000000000000000"
    // Gargle This
    "3F0000003F8000003F8000003F2AAAAB3F800000"
    "476172676C652054686973000000000000000000000000000000000000000000"
    "0000000000000000000000000000000000000000000000000000000000000000"
    // Ear Candy
    "3F1999993E4CCCCD3E4CCCCD3F8000003F000000"
    "4561722043616E64790000000000000000000000000000000000000000000000"
    "0000000000000000000000000000000000000000000000000000000000000000"
    // Trans Phase
    "3F5999993DCCCCCD3CF5C28F3EAAAAAB00000000"
    "5472616E73205068617365000000000000000000000000000000000000000000"
    "0000000000000000000000000000000000000000000000000000000000000000"
    // Evil Shadow
    "3F6666663F8000003DCCCCCD3F8000003F000000"
    "4576696C20536861646F77000000000000000000000000000000000000000000"
    "0000000000000000000000000000000000000000000000000000000000000000";

} // namespace

ChorusEffect::ChorusEffect(HostCallback callback)
    : EffectShell(callback, declaredInputs, declaredOutputs, CHORUS_PLUGIN_ID, paramTotal, paramTotal,
                  programTotal) {}

// The editor goes first: it points at the parameter set.
ChorusEffect::~ChorusEffect() {
    destroyEditor();
    parameters = nullptr;
    ownedParameters.reset();
    engine.reset();
}

void ChorusEffect::writeParam(int32_t index, float value) {
    if (!ready || parameters == nullptr || !std::isfinite(value)) {
        return;
    }
    if (index >= paramTotal) {
        parameters->setRealValue(index, value);
    } else if (std::isfinite(parameters->toReal(index, value))) {
        parameters->setNormalizedValue(index, value);
    } else {
        return;
    }
    if (editor != nullptr) {
        editor->paramChanged(index, value);
    }
}

void ChorusEffect::process(float** in, float** out, int32_t frames, bool accumulate) {
    if (frames <= 0 || in == nullptr || out == nullptr) {
        return;
    }
    if (frames > blockSize) {
        setBlockSize(frames);
        rebuildEngine();
    }
    if (!engineBuilt || engine == nullptr) {
        // Without an engine (before the first resume, or at a rate it refused) the replacing entry still
        // replaces: silence, never whatever the host's buffers held. The adding entry adds nothing.
        if (!accumulate) {
            const int32_t channels = engineChannels(engineOutputs, effect.outputCount);
            for (int32_t c = 0; c < channels; ++c) {
                if (out[c] != nullptr) {
                    std::fill_n(out[c], frames, 0.0f);
                }
            }
        }
        return;
    }
    if (parameters->getApplyHold() <= 0) {
        engine->applyParameters(*parameters);
    }
    engine->render(in, out, frames, accumulate);
    if (parameters->isResetPending() && parameters->getResetHold() <= 0) {
        engine->onParametersReset(*parameters);
        parameters->setResetPending(false);
    }
}

void ChorusEffect::processAdd(float** in, float** out, int32_t frames) {
    process(in, out, frames, true);
}

void ChorusEffect::processReplace(float** in, float** out, int32_t frames) {
    process(in, out, frames, false);
}

void ChorusEffect::onClose() {}

void ChorusEffect::paramValueText(int32_t index, char* out) {
    if (out == nullptr) {
        return;
    }
    const float value = parameters != nullptr ? parameters->getRealValue(index) : 0.0f;
    switch (index) {
    case paramFreq:
    case paramDelay:
        formatFixed(value, 1, 2, out);
        break;
    case paramMix:
    case paramStages:
    case paramShape:
        formatFixed(value, 2, 0, out);
        break;
    default:
        formatFixed(value, 2, 2, out);
        break;
    }
}

// Current layout: values 0-4 then the name. Old layout: values 0-3 then the name; its Stages had one step
// fewer and Shape did not exist.
void ChorusEffect::convertOldRow(const std::uint8_t* oldRow, std::uint8_t* row) {
    std::memcpy(row, oldRow, 3 * 4);
    storeBigEndianFloat(row + 3 * 4, loadBigEndianFloat(oldRow + 3 * 4) * oldStagesScale);
    storeBigEndianFloat(row + 4 * 4, oldLayoutShape);
    std::memcpy(row + paramTotal * 4, oldRow + oldValueCount * 4, programNameSize);
}

int32_t ChorusEffect::loadState(void* data, int32_t byteCount, bool programOnly) {
    if (store == nullptr || data == nullptr) {
        return 0;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    const int32_t rows = programOnly ? 1 : programSlots;
    std::uint8_t* target = programOnly ? store->row(curProgram) : store->bank();
    if (byteCount == programBytes * rows) {
        std::memcpy(target, bytes, static_cast<size_t>(byteCount));
    } else if (byteCount == oldProgramBytes * rows) {
        for (int32_t r = 0; r < rows; ++r) {
            convertOldRow(bytes + r * oldProgramBytes, target + r * programBytes);
        }
    } else {
        return 0;
    }
    loadProgram(curProgram);
    return 0;
}

void ChorusEffect::suspend() {}

void ChorusEffect::resume() {
    if (configurationChanged()) {
        rebuildEngine();
    }
}

int32_t ChorusEffect::paramFromText(int32_t index, char* text) {
    float value = 0.0f;
    if (parameters == nullptr || !parseNumber(text, value)) {
        return 1;
    }
    // Typed-in values are held to the parameter's range.
    if (const ParameterRecord* record = parameters->getRecord(index)) {
        value = std::clamp(value, record->minimum, record->maximum);
    }
    parameters->setRealValue(index, value);
    return 1;
}

int32_t ChorusEffect::category() {
    return categoryAnswer;
}

int32_t ChorusEffect::vendorName(char* out) {
    if (out != nullptr) {
        std::strcpy(out, chorusVendorName);
    }
    return 1;
}

int32_t ChorusEffect::initialise() {
    ready = true;
    ownedParameters = std::make_unique<ChorusParameterSet>();
    parameters = ownedParameters.get();
    createEditor();
    buildProgramStore();
    return 1;
}

void ChorusEffect::rebuildEngine() {
    if (engineBuilt) {
        engineBuilt = false;
        engine.reset();
    }
    createEngine(engineChannels(engineInputs, effect.inputCount), std::trunc(static_cast<double>(sampleRate)),
                 engineChannels(engineOutputs, effect.outputCount), blockSize);
    if (engine != nullptr) {
        setLatency(engine->getLatency());
        parameters->markAllChanged();
        engine->applyParameters(*parameters);
        engineBuilt = true;
    }
}

void ChorusEffect::setup() {}

bool ChorusEffect::acceptsSampleRate(float rate) {
    return EffectShell::acceptsSampleRate(rate) &&
           ChorusProcessor::supportsSampleRate(std::trunc(static_cast<double>(rate)));
}

void ChorusEffect::createEditor() {
    if (parameters == nullptr) {
        return;
    }
    EditorInterface* created = nullptr;
    try {
        created = chorus::createEditor(*this, *parameters);
    } catch (const std::bad_alloc&) {
        created = nullptr;
    }
    if (created != nullptr) {
        setEditor(created);
    }
}

// A rate or block size the engine cannot run with leaves the effect without engine (outputs untouched).
void ChorusEffect::createEngine(int32_t inputCount, double rate, int32_t outputCount, int32_t frames) {
    engine.reset();
    if (!ready || frames < 1 || !ChorusProcessor::supportsSampleRate(rate)) {
        return;
    }
    try {
        engine = std::make_unique<ChorusProcessor>(inputCount, rate, outputCount, frames);
    } catch (const std::bad_alloc&) {
        engine.reset();
    }
}

std::string_view ChorusEffect::factoryBankText() const {
    return {factoryBank, sizeof factoryBank - 1};
}

} // namespace chorus
