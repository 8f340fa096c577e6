#include "plugin/EffectShell.h"

#include "dsp/ParameterSet.h"
#include "dsp/Truncate.h"
#include "plugin/BigEndian.h"
#include "plugin/EditorInterface.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace chorus {

namespace {

constexpr float stepCountForSingleNotice = 5.0f; // parameters with fewer steps report their old value first
constexpr size_t maxNumberText = 255;            // characters of typed text looked at
constexpr char shellVendorName[] = "QDA";

// Copies at most size - 1 characters and always terminates; never reads past size bytes of the source.
void copyBounded(char* out, const char* source, int size) {
    const size_t length = strnlen(source, static_cast<size_t>(size - 1));
    std::memcpy(out, source, length);
    out[length] = '\0';
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

} // namespace

EffectShell::EffectShell(HostCallback callback, int32_t inputs, int32_t outputs, int32_t uniqueId,
                         int32_t paramCount_, int32_t valuesPerProgram_, int32_t programCount_)
    : PluginBaseEx(callback, programCount_, paramCount_), normalizedCount(paramCount_),
      valuesPerProgram(valuesPerProgram_), programSlots(programCount_), previousBlockSize(defaultBlockSize),
      engineInputs(inputs), engineOutputs(outputs), previousSampleRate(defaultSampleRate) {
    setInputCount(inputs);
    setOutputCount(outputs);
    setPluginId(uniqueId);
    setFlagBit3(true);
    setReplacingFlag(true);
    setChunksFlag(true);
    curProgram = 0;
}

EffectShell::~EffectShell() = default;

void EffectShell::writeParam(int32_t index, float value) {
    if (parameters == nullptr || !std::isfinite(value)) {
        return;
    }
    float shown = value;
    if (index < normalizedCount) {
        if (!std::isfinite(parameters->toReal(index, value))) {
            return;
        }
        parameters->setNormalizedValue(index, value);
        shown = parameters->toNormalized(index, parameters->toReal(index, value));
    } else {
        parameters->setRealValue(index, value);
    }
    if (editor != nullptr) {
        editor->paramChanged(index, shown);
    }
}

float EffectShell::readParam(int32_t index) {
    if (parameters == nullptr) {
        return 0.0f;
    }
    return index < normalizedCount ? parameters->getNormalizedValue(index) : parameters->getRealValue(index);
}

void EffectShell::applyUserParam(int32_t index, float value) {
    if (parameters == nullptr || !std::isfinite(value)) {
        return;
    }
    if (parameters->getStepCount(index) < stepCountForSingleNotice && hasCallback()) {
        callHost(hostOpAutomate, index, 0, nullptr, parameters->takeNormalizedValue(index));
    }
    PluginBaseEx::applyUserParam(index, value);
}

void EffectShell::process(float** inputs, float** outputs, int32_t frames, bool accumulate) {
    if (frames > blockSize) {
        setBlockSize(frames);
        rebuildEngine();
    }
    if (engineBuilt) {
        processHook(inputs, outputs, frames, accumulate);
    }
}

void EffectShell::processAdd(float** inputs, float** outputs, int32_t frames) {
    process(inputs, outputs, frames, true);
}

void EffectShell::processReplace(float** inputs, float** outputs, int32_t frames) {
    process(inputs, outputs, frames, false);
}

void EffectShell::selectProgram(int32_t program) {
    if (store == nullptr || program < 0 || program >= programSlots) {
        return;
    }
    storeProgram(curProgram);
    loadProgram(program);
    curProgram = program;
}

// Names longer than the field are cut to 63 characters; the bytes after the terminator stay as they were.
void EffectShell::renameProgram(char* name) {
    if (store == nullptr || name == nullptr) {
        return;
    }
    if (char* field = store->name(curProgram)) {
        copyBounded(field, name, programNameSize);
    }
}

void EffectShell::programName(char* out) {
    programNameOfRow(out, curProgram);
}

// A name loaded from a chunk may lack its terminator: never read past the field.
void EffectShell::programNameOfRow(char* out, int32_t row) {
    if (out == nullptr) {
        return;
    }
    const char* field = store != nullptr ? store->name(row) : nullptr;
    copyBounded(out, field != nullptr ? field : "", programNameSize);
}

void EffectShell::paramUnit(int32_t index, char* out) {
    const ParameterRecord* record = parameters != nullptr ? parameters->getRecord(index) : nullptr;
    copyBounded(out, record != nullptr ? record->unit : "", textSize);
}

void EffectShell::paramName(int32_t index, char* out) {
    const ParameterRecord* record = parameters != nullptr ? parameters->getRecord(index) : nullptr;
    copyBounded(out, record != nullptr ? record->name : "", textSize);
}

void EffectShell::paramValueText(int32_t index, char* out) {
    floatToText(parameters != nullptr ? parameters->getRealValue(index) : 0.0f, out);
}

int32_t EffectShell::saveState(void** data, bool programOnly) {
    if (store == nullptr || data == nullptr) {
        return 0;
    }
    storeProgram(curProgram);
    if (programOnly) {
        *data = store->row(curProgram);
        return programBytes;
    }
    *data = store->bank();
    return programBytes * programSlots;
}

// Only a whole row or a whole bank is accepted; anything else changes nothing.
int32_t EffectShell::loadState(void* data, int32_t byteCount, bool programOnly) {
    if (store == nullptr || data == nullptr) {
        return 0;
    }
    const int32_t expected = programOnly ? programBytes : programBytes * programSlots;
    if (byteCount != expected) {
        return 0;
    }
    std::memcpy(programOnly ? store->row(curProgram) : store->bank(), data, static_cast<size_t>(expected));
    loadProgram(curProgram);
    return 0;
}

void EffectShell::setSampleRate(float rate) {
    if (!acceptsSampleRate(rate)) {
        return;
    }
    previousSampleRate = sampleRate;
    sampleRate = rate;
    rebuildEngine();
    if (editor != nullptr) {
        editor->sampleRateChanged(rate);
    }
}

void EffectShell::setBlockSize(int32_t frames) {
    if (frames < 1 || frames == blockSize) {
        return;
    }
    previousBlockSize = blockSize;
    blockSize = frames;
}

bool EffectShell::parseNumber(const char* text, float& value) {
    if (text == nullptr) {
        return false;
    }
    char local[maxNumberText + 1];
    const size_t length = strnlen(text, maxNumberText);
    std::memcpy(local, text, length);
    local[length] = '\0';
    std::replace(local, local + length, ',', '.');
    const char* cursor = local;
    while (*cursor == ' ' || (*cursor >= '\t' && *cursor <= '\r')) {
        ++cursor;
    }
    if (*cursor == '+' && cursor[1] != '-' && cursor[1] != '+') {
        ++cursor;
    }
    const char* end = local + length;
    float parsed = 0.0f;
    const auto result = std::from_chars(cursor, end, parsed, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range && !readBeyondFloat(cursor, end, parsed)) {
        return false;
    }
    if ((result.ec != std::errc() && result.ec != std::errc::result_out_of_range) || !std::isfinite(parsed)) {
        return false;
    }
    value = parsed;
    return true;
}

// A number too small for a float reads as the nearest float, zero or a denormal, the way "%f" reads it;
// one too large stays unreadable. Within maxNumberText characters only an exponent can take a double
// out of range, so its sign says which way.
bool EffectShell::readBeyondFloat(const char* cursor, const char* end, float& value) {
    double wide = 0.0;
    const auto result = std::from_chars(cursor, end, wide, std::chars_format::general);
    if (result.ec == std::errc()) {
        if (std::fabs(wide) > static_cast<double>(std::numeric_limits<float>::max())) {
            return false;
        }
        value = static_cast<float>(wide);
        return true;
    }
    if (result.ec != std::errc::result_out_of_range) {
        return false;
    }
    const char* exponent = std::find_if(cursor, result.ptr, [](char c) { return c == 'e' || c == 'E'; });
    if (exponent + 1 >= result.ptr || exponent[1] != '-') {
        return false;
    }
    value = *cursor == '-' ? -0.0f : 0.0f;
    return true;
}

int32_t EffectShell::paramFromText(int32_t index, char* text) {
    float value = 0.0f;
    if (parameters == nullptr || !parseNumber(text, value)) {
        return 1;
    }
    if (const ParameterRecord* record = parameters->getRecord(index)) {
        value = std::clamp(value, record->minimum, record->maximum);
    }
    parameters->setRealValue(index, value);
    return 1;
}

int32_t EffectShell::channelLayout(int32_t, void* outputLayout) {
    if (outputLayout == nullptr) {
        return 0;
    }
    ChannelLayoutRecord record;
    std::memcpy(&record, outputLayout, sizeof record);
    engineInputs = record.channelCount;
    engineOutputs = record.channelCount;
    forceRebuild = true;
    return 1;
}

int32_t EffectShell::setBlockSizeAndRate(int32_t frames, float rate) {
    if (frames >= 1) {
        blockSize = frames;
    }
    if (acceptsSampleRate(rate)) {
        sampleRate = rate;
    }
    return 1;
}

int32_t EffectShell::vendorName(char* out) {
    if (out != nullptr) {
        std::strcpy(out, shellVendorName);
    }
    return 1;
}

int32_t EffectShell::vendorSpecific(int32_t index, int32_t value, void*, float opt) {
    if (editor != nullptr && index == wheelIndex && value == zoomValue) {
        return editor->setZoom(truncateTo<int32_t>(static_cast<double>(opt)));
    }
    if (wheelEnabled && editor != nullptr && index == wheelIndex && value == wheelValue &&
        editor->wheel(opt)) {
        return 1;
    }
    return 0;
}

void EffectShell::processHook(float**, float**, int32_t, bool) {}

int32_t EffectShell::initialise() {
    setup();
    return 1;
}

void EffectShell::buildProgramStore() {
    if (parameters == nullptr) {
        return;
    }
    std::vector<int> sizes;
    for (int32_t i = 0; i < valuesPerProgram; ++i) {
        sizes.push_back(parameters->getStorageSize(i));
    }
    store = std::make_unique<ProgramStore>(programSlots, sizes, programNameSize);
    programBytes = store->rowBytes();
    for (int32_t row = 0; row < programSlots; ++row) {
        storeProgram(row);
        std::snprintf(store->name(row), programNameSize, "Init %d", static_cast<int>(row + 1));
    }
    loadFactoryBank();
    if (editor != nullptr) {
        selectProgram(0);
    }
}

void EffectShell::rebuildEngine() {}

void EffectShell::setup() {}

void EffectShell::storeProgram(int32_t row) {
    if (store == nullptr || parameters == nullptr || store->row(row) == nullptr) {
        return;
    }
    for (int32_t i = 0; i < valuesPerProgram; ++i) {
        std::uint8_t* slot = store->value(row, i);
        const int size = store->valueSize(i);
        if (parameters->hasBlockStorage(i)) {
            parameters->readBlock(i, slot, size, 0);
            swapWordsBigEndian(slot, size);
        } else if (size >= 4) {
            storeBigEndianFloat(slot, readParam(i));
        }
    }
}

// The row itself stays big-endian: values are decoded on the way to the parameter set.
void EffectShell::loadProgram(int32_t row) {
    if (store == nullptr || parameters == nullptr || store->row(row) == nullptr) {
        return;
    }
    parameters->raiseApplyHold();
    for (int32_t i = 0; i < valuesPerProgram; ++i) {
        const std::uint8_t* slot = store->value(row, i);
        const int size = store->valueSize(i);
        if (parameters->hasBlockStorage(i)) {
            std::vector<std::uint8_t> block(slot, slot + size);
            swapWordsBigEndian(block.data(), size);
            parameters->writeBlock(i, block.data(), size, 0);
            if (editor != nullptr) {
                editor->paramDataChanged(i, block.data(), size);
            }
        } else if (size >= 4) {
            writeParam(i, loadBigEndianFloat(slot));
        }
    }
    if (editor != nullptr) {
        editor->programLoaded();
    }
    parameters->lowerApplyHold();
}

std::string_view EffectShell::factoryBankText() const {
    return {};
}

void EffectShell::loadFactoryBank() {
    const std::string_view text = factoryBankText();
    if (store == nullptr || text.size() + 1 != 2 * static_cast<size_t>(store->bankBytes()) + 1) {
        return;
    }
    std::vector<std::uint8_t> bank(static_cast<size_t>(store->bankBytes()));
    for (size_t i = 0; i < bank.size(); ++i) {
        const int high = hexDigit(text[2 * i]);
        const int low = hexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) {
            return;
        }
        bank[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    loadState(bank.data(), store->bankBytes(), false);
}

int32_t EffectShell::connectedInputCount() {
    const int32_t declared = effect.inputCount;
    if (declared == 1) {
        return 1;
    }
    int32_t count = 0;
    for (int32_t pin = 0; pin < declared; ++pin) {
        if (inputConnected(pin)) {
            count = pin + 1;
        }
    }
    return count;
}

int32_t EffectShell::connectedOutputCount() {
    const int32_t declared = effect.outputCount;
    if (declared == 1) {
        return 1;
    }
    int32_t count = 0;
    for (int32_t pin = 0; pin < declared; ++pin) {
        if (outputConnected(pin)) {
            count = pin + 1;
        }
    }
    return count;
}

bool EffectShell::configurationChanged() {
    const int32_t inputs = connectedInputCount();
    const int32_t outputs = connectedOutputCount();
    if (engineBuilt && inputs == engineInputs && outputs == engineOutputs && !forceRebuild &&
        sampleRate == previousSampleRate && blockSize == previousBlockSize) {
        return false;
    }
    engineInputs = inputs;
    engineOutputs = outputs;
    previousSampleRate = sampleRate;
    previousBlockSize = blockSize;
    forceRebuild = false;
    return true;
}

bool EffectShell::acceptsSampleRate(float rate) {
    return std::isfinite(rate) && rate > 0.0f;
}

int32_t EffectShell::engineChannels(int32_t reported, int32_t declared) noexcept {
    return std::max(1, std::min(reported, declared));
}

} // namespace chorus
