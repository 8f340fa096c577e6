#include "plugin/PluginBaseEx.h"

#include "dsp/Truncate.h"
#include "plugin/EditorInterface.h"

namespace chorus {

namespace {

constexpr int32_t firstExtendedRequest = 25;

// Answers of the requests 25 to 68 that have no named handler.
int32_t defaultAnswer(int32_t opcode) {
    switch (opcode) {
    case 26: // every parameter may be automated
    case 28:
    case 31:
    case 32:
    case 57: // the handler answers false, which the request reports inverted
        return 1;
    case 63:
        return -1;
    default:
        return 0;
    }
}

} // namespace

PluginBaseEx::PluginBaseEx(HostCallback callback, int32_t programs, int32_t params)
    : PluginBase(callback, programs, params) {}

PluginBaseEx::~PluginBaseEx() = default;

intptr_t PluginBaseEx::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    if (opcode < firstExtendedRequest || opcode > opLastRequest) {
        return PluginBase::dispatch(opcode, index, value, ptr, opt);
    }
    switch (opcode) {
    case opParamFromText:
        return paramFromText(index, static_cast<char*>(ptr));
    case opCategory:
        return category();
    case opChannelLayout:
        return channelLayout(narrowValue(value), ptr);
    case opBlockSizeAndRate:
        return setBlockSizeAndRate(narrowValue(value), opt);
    case opVendorName:
        return vendorName(static_cast<char*>(ptr));
    case opVendorSpecific:
        return vendorSpecific(index, narrowValue(value), ptr, opt);
    case opCapability:
        return capability(static_cast<const char*>(ptr));
    case opInterfaceVersion:
        return interfaceVersion();
    case opKeyDown:
    case opKeyUp: {
        if (editor == nullptr) {
            return 0;
        }
        // Lives only for this call: the editor must not keep its address.
        KeyRecord key{};
        key.character = index;
        key.virtualKey = static_cast<uint8_t>(value & 0xFF);
        key.modifiers = static_cast<uint8_t>(truncateTo<int32_t>(static_cast<double>(opt)) & 0xFF);
        return opcode == opKeyDown ? editor->keyDown(&key) : editor->keyUp(&key);
    }
    case opKnobMode:
        return editor != nullptr ? editor->setKnobMode(narrowValue(value)) : 0;
    default:
        return otherRequest(opcode, index, narrowValue(value), ptr, opt);
    }
}

int32_t PluginBaseEx::paramFromText(int32_t, char*) {
    return 0;
}

int32_t PluginBaseEx::category() {
    return (effect.flags & flagBit8) != 0 ? 2 : 0;
}

int32_t PluginBaseEx::channelLayout(int32_t, void*) {
    return 0;
}

int32_t PluginBaseEx::setBlockSizeAndRate(int32_t frames, float rate) {
    blockSize = frames;
    sampleRate = rate;
    return 1;
}

int32_t PluginBaseEx::vendorName(char*) {
    return 0;
}

int32_t PluginBaseEx::vendorSpecific(int32_t, int32_t, void*, float) {
    return 0;
}

int32_t PluginBaseEx::capability(const char*) {
    return 0;
}

int32_t PluginBaseEx::interfaceVersion() {
    return interfaceVersionAnswer;
}

int32_t PluginBaseEx::otherRequest(int32_t opcode, int32_t, int32_t, void*, float) {
    return defaultAnswer(opcode);
}

intptr_t PluginBaseEx::callHostInt(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return callHost(opcode, index, value, ptr, opt);
}

bool PluginBaseEx::callHostBool(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return callHost(opcode, index, value, ptr, opt) != 0;
}

intptr_t PluginBaseEx::hostRequest6(int32_t value) {
    return callHostInt(6, 0, value);
}
intptr_t PluginBaseEx::hostRequest7(int32_t value) {
    return callHostInt(7, 0, value);
}
intptr_t PluginBaseEx::hostRequest10(int32_t value) {
    return callHostInt(10, 0, value);
}
intptr_t PluginBaseEx::hostRequest11() {
    return callHostInt(11);
}
intptr_t PluginBaseEx::hostRequest12() {
    return callHostInt(12);
}
bool PluginBaseEx::hostRequest13() {
    return callHostBool(13);
}
bool PluginBaseEx::hostRequest14() {
    return callHostBool(14);
}
bool PluginBaseEx::hostRequest15(int32_t index, int32_t value) {
    return callHostBool(15, index, value);
}

float PluginBaseEx::hostRequest16() {
    callHostInt(16);
    return sampleRate;
}

int32_t PluginBaseEx::hostRequest17() {
    callHostInt(17);
    return blockSize;
}

intptr_t PluginBaseEx::hostRequest18() {
    return callHostInt(18);
}
intptr_t PluginBaseEx::hostRequest19() {
    return callHostInt(19);
}
intptr_t PluginBaseEx::hostRequest20(int32_t) {
    return callHostInt(20);
}
intptr_t PluginBaseEx::hostRequest21(int32_t) {
    return callHostInt(21);
}
intptr_t PluginBaseEx::hostRequest22() {
    return callHostInt(22);
}
intptr_t PluginBaseEx::hostRequest23() {
    return callHostInt(23);
}
intptr_t PluginBaseEx::hostRequest24() {
    return callHostInt(24);
}

bool PluginBaseEx::hostRequest26(void* ptr, int32_t value, int32_t index) {
    return callHostBool(26, index & 0xFF, value, ptr);
}

bool PluginBaseEx::hostRequest27(void* ptr, int32_t value) {
    return callHostBool(27, 0, value, ptr);
}

bool PluginBaseEx::hostRequest25(void* ptr, int32_t value, int32_t index) {
    return callHostBool(25, index, value, ptr);
}

bool PluginBaseEx::hostRequest28() {
    return callHostBool(28);
}
bool PluginBaseEx::hostRequest29() {
    return callHostBool(29);
}
intptr_t PluginBaseEx::hostRequest30(float opt) {
    return callHostInt(30, 0, 0, nullptr, opt);
}
intptr_t PluginBaseEx::hostRequest49() {
    return callHostInt(49);
}
intptr_t PluginBaseEx::hostRequest31() {
    return callHostInt(31);
}
bool PluginBaseEx::hostRequest32(void* ptr) {
    return callHostBool(32, 0, 0, ptr);
}
bool PluginBaseEx::hostRequest33(void* ptr) {
    return callHostBool(33, 0, 0, ptr);
}
intptr_t PluginBaseEx::hostRequest34() {
    return callHostInt(34);
}

intptr_t PluginBaseEx::hostRequest35(int32_t index, int32_t value, void* ptr, float opt) {
    return callHostInt(35, index, value, ptr, opt);
}

bool PluginBaseEx::hostRequest37(void* ptr) {
    return callHostBool(37, 0, 0, ptr);
}
intptr_t PluginBaseEx::hostRequest38() {
    return callHostInt(38);
}
intptr_t PluginBaseEx::hostRequest39(void* ptr) {
    return callHostInt(39, 0, 0, ptr);
}
bool PluginBaseEx::hostRequest40(void* ptr) {
    return callHostBool(40, 0, 0, ptr);
}
intptr_t PluginBaseEx::hostRequest41() {
    return callHostInt(41);
}
bool PluginBaseEx::hostRequest42() {
    return callHostBool(42);
}
bool PluginBaseEx::beginParamGesture(int32_t index) {
    return callHostBool(hostOpBeginGesture, index);
}
bool PluginBaseEx::endParamGesture(int32_t index) {
    return callHostBool(hostOpEndGesture, index);
}

bool PluginBaseEx::hostRequest45(void* ptr) {
    if (ptr == nullptr) {
        return false;
    }
    return callHostBool(45, 0, 0, ptr);
}

} // namespace chorus
