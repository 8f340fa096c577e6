// A module with one fault per kind the validator must report: a request that hangs, one that crashes,
// a processing entry that writes past the frames it was given (for odd frame counts), one that allocates,
// an adding entry that replaces, a replacing entry whose output is subnormal, one that is slow on subnormal
// input and typed parameter text that does not give back the value shown. FAULTY_MODULE_FAULTS names the
// ones to put in (hang, crash, overrun, allocate, replace, subnormal, slow, text), so that a fault another
// one would mask can be tested alone; unset, the first four, which mask none of each other.
#include "plugin/PluginAbi.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

enum Fault : unsigned {
    hang = 1,
    crash = 2,
    overrun = 4,
    allocate = 8,
    replaceInAdd = 16,
    subnormal = 32,
    textDrift = 64,
    slowSubnormal = 128
};
constexpr float subnormalScale = 1.0e-39f; // times a sample within -1..1
constexpr int slowSteps = 200;             // extra work per subnormal input sample
constexpr float typedDrift = 0.01f;        // added to every typed value

struct Faulty {
    EffectDescriptor descriptor;
    float value = 0.5f;
    unsigned faults = 0;
};

unsigned chosenFaults() {
    const char* names = std::getenv("FAULTY_MODULE_FAULTS");
    if (names == nullptr) {
        return hang | crash | overrun | allocate;
    }
    unsigned faults = 0;
    const struct {
        const char* name;
        Fault fault;
    } table[] = {{"hang", hang},         {"crash", crash},          {"overrun", overrun},
                 {"allocate", allocate}, {"replace", replaceInAdd}, {"subnormal", subnormal},
                 {"text", textDrift},    {"slow", slowSubnormal}};
    for (const auto& entry : table) {
        faults |= std::strstr(names, entry.name) != nullptr ? entry.fault : 0u;
    }
    return faults;
}

Faulty* owner(EffectDescriptor* effect) {
    return static_cast<Faulty*>(effect->owner);
}

bool has(EffectDescriptor* effect, Fault fault) {
    return (owner(effect)->faults & fault) != 0;
}

intptr_t CHORUS_CDECL dispatch(EffectDescriptor* effect, int32_t opcode, int32_t, intptr_t, void* ptr,
                               float) {
    switch (opcode) {
    case opClose:
        delete owner(effect);
        return 1;
    case opParamName: {
        volatile bool forever = has(effect, hang);
        while (forever) {
        }
        return 0;
    }
    case opEditorRect:
        if (has(effect, crash)) {
            // A null write may not fault where page 0 is mapped; a trap always does.
            __builtin_trap();
        }
        return 0;
    case opParamValueText:
        if (has(effect, textDrift) && ptr != nullptr) {
            std::snprintf(static_cast<char*>(ptr), 16, "%.2f", static_cast<double>(owner(effect)->value));
        }
        return 0;
    case opParamFromText:
        if (!has(effect, textDrift) || ptr == nullptr) {
            return 0;
        }
        owner(effect)->value = std::strtof(static_cast<const char*>(ptr), nullptr) + typedDrift;
        return 1;
    default:
        return 0;
    }
}

void CHORUS_CDECL add(EffectDescriptor* effect, float** inputs, float** outputs, int32_t frames) {
    // The allocation: a scratch copy of each channel from the heap.
    float* scratch =
        has(effect, allocate) ? new float[static_cast<size_t>(frames > 0 ? frames : 1)] : nullptr;
    const bool replaces = has(effect, replaceInAdd);
    for (int32_t c = 0; c < 2; ++c) {
        if (scratch != nullptr) {
            std::memcpy(scratch, inputs[c], static_cast<size_t>(frames > 0 ? frames : 0) * sizeof(float));
        }
        const float* source = scratch != nullptr ? scratch : inputs[c];
        for (int32_t f = 0; f < frames; ++f) {
            outputs[c][f] = (replaces ? 0.0f : outputs[c][f]) + source[f];
        }
    }
    delete[] scratch;
}

void CHORUS_CDECL replace(EffectDescriptor* effect, float** inputs, float** outputs, int32_t frames) {
    const int32_t past = has(effect, overrun) ? frames % 2 : 0;
    for (int32_t c = 0; c < 2; ++c) {
        for (int32_t f = 0; f < frames + past; ++f) {
            if (f < frames && has(effect, slowSubnormal) && std::fpclassify(inputs[c][f]) == FP_SUBNORMAL) {
                volatile float sink = 0.0f;
                for (int step = 0; step < slowSteps; ++step) {
                    sink = sink + 1.0f;
                }
            }
            outputs[c][f] =
                f < frames ? inputs[c][f] * (has(effect, subnormal) ? subnormalScale : 1.0f) : 0.0f;
        }
    }
}

void CHORUS_CDECL setParam(EffectDescriptor* effect, int32_t, float value) {
    owner(effect)->value = value;
}

float CHORUS_CDECL getParam(EffectDescriptor* effect, int32_t) {
    return owner(effect)->value;
}

} // namespace

extern "C" EffectDescriptor* CHORUS_CDECL faultyMain(HostCallback callback) {
    if (callback == nullptr || callback(nullptr, hostOpVersion, 0, 0, nullptr, 0.0f) == 0) {
        return nullptr;
    }
    auto* faulty = new Faulty{};
    faulty->faults = chosenFaults();
    EffectDescriptor& d = faulty->descriptor;
    d.magic = CHORUS_DESCRIPTOR_MAGIC;
    d.dispatchEntry = dispatch;
    d.addProcessEntry = add;
    d.setParamEntry = setParam;
    d.getParamEntry = getParam;
    d.programCount = 1;
    d.paramCount = 1;
    d.inputCount = 2;
    d.outputCount = 2;
    d.flags = flagReplacing;
    d.inOutRatio = 1.0f;
    d.owner = faulty;
    d.pluginId = CHORUS_FOURCC('F', 'a', 'l', 't');
    d.pluginVersion = 1;
    d.replaceProcessEntry = replace;
    return &d;
}

#ifndef _WIN32
extern "C" __attribute__((visibility("default"), alias("faultyMain"))) EffectDescriptor*
exportedMain(HostCallback callback) __asm__("main");
#endif
