#include "plugin/PluginBase.h"

#include "dsp/Truncate.h"
#include "plugin/EditorInterface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

namespace chorus {

namespace {

constexpr float meterScale = 32767.0f;
constexpr int textHelperWidth = 8; // characters the numeric helpers write, terminator excluded
constexpr char hugeText[] = " Huge!  ";
constexpr char minusInfinityText[] = "  -oo   ";
constexpr char notANumberText[] = "  NaN   ";

void writeText(char* out, const char* text) {
    if (out != nullptr) {
        std::strcpy(out, text);
    }
}

// The descriptor entries. No exception may cross them into the host.
intptr_t CHORUS_CDECL dispatchEntry(EffectDescriptor* effect, int32_t opcode, int32_t index, intptr_t value,
                                    void* ptr, float opt) {
    PluginBase* plugin = PluginBase::fromDescriptor(effect);
    if (plugin == nullptr) {
        return 0;
    }
    intptr_t answer = 0;
    try {
        answer = plugin->dispatch(opcode, index, value, ptr, opt);
    } catch (...) {
        answer = 0;
    }
    if (opcode == opClose) {
        delete plugin;
        return 1;
    }
    return answer;
}

void CHORUS_CDECL addProcessEntry(EffectDescriptor* effect, float** inputs, float** outputs, int32_t frames) {
    if (PluginBase* plugin = PluginBase::fromDescriptor(effect)) {
        try {
            plugin->processAdd(inputs, outputs, frames);
        } catch (...) {
        }
    }
}

void CHORUS_CDECL replaceProcessEntry(EffectDescriptor* effect, float** inputs, float** outputs,
                                      int32_t frames) {
    if (PluginBase* plugin = PluginBase::fromDescriptor(effect)) {
        try {
            plugin->processReplace(inputs, outputs, frames);
        } catch (...) {
        }
    }
}

void CHORUS_CDECL setParamEntry(EffectDescriptor* effect, int32_t index, float value) {
    if (PluginBase* plugin = PluginBase::fromDescriptor(effect)) {
        try {
            plugin->writeParam(index, value);
        } catch (...) {
        }
    }
}

float CHORUS_CDECL getParamEntry(EffectDescriptor* effect, int32_t index) {
    if (PluginBase* plugin = PluginBase::fromDescriptor(effect)) {
        try {
            return plugin->readParam(index);
        } catch (...) {
        }
    }
    return 0.0f;
}

} // namespace

PluginBase::PluginBase(HostCallback callback, int32_t programs, int32_t params)
    : hostCallback(callback), programCount(programs), paramCount(params) {
    std::memset(&effect, 0, sizeof effect);
    effect.magic = CHORUS_DESCRIPTOR_MAGIC;
    effect.dispatchEntry = dispatchEntry;
    effect.addProcessEntry = addProcessEntry;
    effect.setParamEntry = setParamEntry;
    effect.getParamEntry = getParamEntry;
    effect.replaceProcessEntry = replaceProcessEntry;
    effect.programCount = programs;
    effect.paramCount = params;
    effect.inputCount = 1;
    effect.outputCount = 2;
    effect.flags = 0;
    effect.inOutRatio = 1.0f;
    effect.owner = this;
    effect.pluginId = CHORUS_DEFAULT_PLUGIN_ID;
    effect.pluginVersion = 1;
}

PluginBase::~PluginBase() {
    destroyEditor();
}

PluginBase* PluginBase::fromDescriptor(EffectDescriptor* descriptor) noexcept {
    if (descriptor == nullptr || descriptor->magic != CHORUS_DESCRIPTOR_MAGIC) {
        return nullptr;
    }
    return static_cast<PluginBase*>(descriptor->owner);
}

void PluginBase::setEditor(EditorInterface* newEditor) noexcept {
    editor = newEditor;
    setFlag(flagHasEditor, newEditor != nullptr);
}

void PluginBase::destroyEditor() noexcept {
    EditorInterface* old = editor;
    editor = nullptr;
    delete old;
}

void PluginBase::setFlag(uint32_t bit, bool on) noexcept {
    if (on) {
        effect.flags |= bit;
    } else {
        effect.flags &= ~bit;
    }
}

intptr_t PluginBase::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    if (hostCallback == nullptr) {
        return 0;
    }
    return hostCallback(&effect, opcode, index, value, ptr, opt);
}

void PluginBase::writeParam(int32_t, float) {}

float PluginBase::readParam(int32_t) {
    return 0.0f;
}

void PluginBase::applyUserParam(int32_t index, float value) {
    writeParam(index, value);
    if (hasCallback()) {
        callHost(hostOpAutomate, index, 0, nullptr, value);
    }
}

void PluginBase::processReplace(float**, float**, int32_t) {}

int32_t PluginBase::narrowValue(intptr_t value) noexcept {
    return static_cast<int32_t>(std::clamp<intptr_t>(value, std::numeric_limits<int32_t>::min(),
                                                     std::numeric_limits<int32_t>::max()));
}

intptr_t PluginBase::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case opOpen:
        onOpen();
        return 0;
    case opClose:
        onClose();
        return 0;
    case opSelectProgram:
        if (value >= 0 && value < programCount) {
            selectProgram(static_cast<int32_t>(value));
        }
        return 0;
    case opCurrentProgram:
        return currentProgram();
    case opRenameProgram:
        if (text != nullptr) {
            renameProgram(text);
        }
        return 0;
    case opProgramName:
        if (text != nullptr) {
            programName(text);
        }
        return 0;
    case opParamUnit:
        if (text != nullptr) {
            paramUnit(index, text);
        }
        return 0;
    case opParamValueText:
        if (text != nullptr) {
            paramValueText(index, text);
        }
        return 0;
    case opParamName:
        if (text != nullptr) {
            paramName(index, text);
        }
        return 0;
    case opMeterLevel:
        return truncateTo<int32_t>(static_cast<double>(meterLevel()) * static_cast<double>(meterScale));
    case opSampleRate:
        setSampleRate(opt);
        return 0;
    case opBlockSize:
        setBlockSize(narrowValue(value));
        return 0;
    case opPower:
        if (value == 0) {
            suspend();
        } else {
            resume();
        }
        return 0;
    case opEditorRect:
        return editor != nullptr ? editor->editorRect(static_cast<EditorRect**>(ptr)) : 0;
    case opEditorOpen:
        return editor != nullptr ? editor->openEditor(ptr) : 0;
    case opEditorClose:
        if (editor != nullptr) {
            editor->closeEditor();
        }
        return 0;
    case opEditorIdle:
        if (editor != nullptr) {
            editor->editorIdle();
        }
        return 0;
    case opIdentify:
        return CHORUS_IDENTIFY_ANSWER;
    case opSaveState:
        if (ptr == nullptr) {
            return 0;
        }
        return saveState(static_cast<void**>(ptr), index != 0);
    case opLoadState:
        if (ptr == nullptr) {
            return 0;
        }
        return loadState(ptr, narrowValue(value), index != 0);
    default:
        return 0;
    }
}

void PluginBase::onOpen() {}
void PluginBase::onClose() {}
int32_t PluginBase::currentProgram() {
    return curProgram;
}
void PluginBase::selectProgram(int32_t program) {
    curProgram = program;
}
void PluginBase::renameProgram(char* name) {
    writeText(name, "");
}
void PluginBase::programName(char* out) {
    writeText(out, "");
}
void PluginBase::paramUnit(int32_t, char* out) {
    writeText(out, "");
}
void PluginBase::paramValueText(int32_t, char* out) {
    writeText(out, "");
}
void PluginBase::paramName(int32_t, char* out) {
    writeText(out, "");
}
float PluginBase::meterLevel() {
    return 0.0f;
}
int32_t PluginBase::saveState(void**, bool) {
    return 0;
}
int32_t PluginBase::loadState(void*, int32_t, bool) {
    return 0;
}
void PluginBase::setSampleRate(float rate) {
    sampleRate = rate;
}
void PluginBase::setBlockSize(int32_t frames) {
    blockSize = frames;
}
void PluginBase::suspend() {}
void PluginBase::resume() {}
void PluginBase::setPluginId(int32_t id) {
    effect.pluginId = id;
}
void PluginBase::setInputCount(int32_t count) {
    effect.inputCount = count;
}
void PluginBase::setOutputCount(int32_t count) {
    effect.outputCount = count;
}
void PluginBase::setFlagBit2(bool on) {
    setFlag(flagBit2, on);
}
void PluginBase::setFlagBit1(bool on) {
    setFlag(flagBit1, on);
}
void PluginBase::setFlagBit3(bool on) {
    setFlag(flagBit3, on);
}
void PluginBase::setReplacingFlag(bool on) {
    setFlag(flagReplacing, on);
}
void PluginBase::setChunksFlag(bool on) {
    setFlag(flagChunks, on);
}
void PluginBase::setRealtimeQuality(int32_t quality) {
    effect.realtimeQuality = quality;
}
void PluginBase::setOfflineQuality(int32_t quality) {
    effect.offlineQuality = quality;
}
void PluginBase::setLatency(int32_t samples) {
    effect.latency = samples;
}
float PluginBase::getSampleRate() {
    return sampleRate;
}
int32_t PluginBase::getBlockSize() {
    return blockSize;
}

intptr_t PluginBase::hostVersion() {
    const intptr_t answer = callHost(hostOpVersion, 0, 0, nullptr, 0.0f);
    return answer != 0 ? answer : 1;
}

intptr_t PluginBase::hostCurrentId() {
    return callHost(hostOpCurrentId, 0, 0, nullptr, 0.0f);
}

intptr_t PluginBase::hostIdle() {
    return callHost(hostOpIdle, 0, 0, nullptr, 0.0f);
}

// The host answers 0 for a connected pin; without a host every pin counts as connected.
bool PluginBase::inputConnected(int32_t index) {
    return callHost(hostOpPinConnected, index, 0, nullptr, 0.0f) == 0;
}

bool PluginBase::outputConnected(int32_t index) {
    return callHost(hostOpPinConnected, index, 1, nullptr, 0.0f) == 0;
}

void PluginBase::decibelToText(float gain, char* out) {
    if (gain <= 0.0f) {
        writeText(out, minusInfinityText);
        return;
    }
    floatToText(static_cast<float>(20.0 * std::log10(gain)), out);
}

void PluginBase::samplesToHzText(float samples, char* out) {
    floatToText(samples == 0.0f ? 0.0f : sampleRate / samples, out);
}

void PluginBase::samplesToMsText(float samples, char* out) {
    floatToText(static_cast<float>(static_cast<double>(samples) * 1000.0 / static_cast<double>(sampleRate)),
                out);
}

// Eight characters: sign, integer digits, point, then as many truncated fraction digits as fit.
void PluginBase::floatToText(float value, char* out) {
    if (out == nullptr) {
        return;
    }
    double v = value;
    if (std::isnan(v)) {
        writeText(out, notANumberText);
        return;
    }
    const bool negative = v < 0.0;
    int count = 0;
    double limit = 99999999.0;
    if (negative) {
        v = -v;
        count = 1;
        limit = 9999999.0;
    }
    if (v > limit) {
        writeText(out, hugeText);
        return;
    }
    const double integerPart = std::floor(v);
    if (integerPart >= (negative ? 1000000.0 : 10000000.0)) {
        // The integer digits alone fill the eight characters: writing the point would drop the leading digit.
        std::snprintf(out, textHelperWidth + 1, "%s%u", negative ? "-" : "",
                      static_cast<unsigned>(integerPart));
        return;
    }
    char digits[textHelperWidth + 2];
    int first = textHelperWidth;
    digits[textHelperWidth] = '\0';
    digits[--first] = static_cast<char>('0' + truncateToInt(std::fmod(integerPart, 10.0)));
    count += 2;
    double running = integerPart;
    for (;;) {
        running *= 0.1;
        if (running < 1.0 || count >= textHelperWidth) {
            break;
        }
        digits[--first] = static_cast<char>('0' + truncateToInt(std::fmod(running, 10.0)));
        ++count;
    }
    char* cursor = out;
    if (negative) {
        *cursor++ = '-';
    }
    const size_t integerDigits = static_cast<size_t>(textHelperWidth - first);
    std::memcpy(cursor, digits + first, integerDigits);
    cursor += integerDigits;
    *cursor++ = '.';
    if (count < textHelperWidth) {
        const int n = textHelperWidth - count;
        double f = std::fmod(v, 1.0) * std::pow(10.0, n);
        for (int position = n - 1; position >= 0; --position) {
            cursor[position] = f <= 0.0 ? '0' : static_cast<char>('0' + truncateToInt(std::fmod(f, 10.0)));
            f *= 0.1;
        }
        cursor += n;
    }
    *cursor = '\0';
}

void PluginBase::intToText(int32_t value, char* out) {
    if (out == nullptr) {
        return;
    }
    if (value >= 100000000) {
        writeText(out, hugeText);
        return;
    }
    char full[16];
    std::snprintf(full, sizeof full, "%7d", static_cast<int>(value));
    full[textHelperWidth] = '\0';
    std::strcpy(out, full);
}

} // namespace chorus
