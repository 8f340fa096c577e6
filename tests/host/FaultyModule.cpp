// A module with one fault per kind the validator must report: a request that hangs, one that crashes,
// a processing entry that writes past the frames it was given (for odd frame counts) and one that allocates.
#include "plugin/PluginAbi.h"

#include <cstring>

namespace {

struct Faulty {
    EffectDescriptor descriptor;
    float value = 0.5f;
};

Faulty* owner(EffectDescriptor* effect) {
    return static_cast<Faulty*>(effect->owner);
}

intptr_t CHORUS_CDECL dispatch(EffectDescriptor* effect, int32_t opcode, int32_t, intptr_t, void*, float) {
    switch (opcode) {
    case opClose:
        delete owner(effect);
        return 1;
    case opParamName: {
        volatile bool forever = true;
        while (forever) {
        }
        return 0;
    }
    case opEditorRect:
        // A null write may not fault where page 0 is mapped; a trap always does.
        __builtin_trap();
    default:
        return 0;
    }
}

void CHORUS_CDECL add(EffectDescriptor*, float** inputs, float** outputs, int32_t frames) {
    float* scratch = new float[static_cast<size_t>(frames > 0 ? frames : 1)];
    for (int32_t c = 0; c < 2; ++c) {
        std::memcpy(scratch, inputs[c], static_cast<size_t>(frames > 0 ? frames : 0) * sizeof(float));
        for (int32_t f = 0; f < frames; ++f) {
            outputs[c][f] += scratch[f];
        }
    }
    delete[] scratch;
}

void CHORUS_CDECL replace(EffectDescriptor*, float** inputs, float** outputs, int32_t frames) {
    for (int32_t c = 0; c < 2; ++c) {
        for (int32_t f = 0; f < frames + frames % 2; ++f) {
            outputs[c][f] = f < frames ? inputs[c][f] : 0.0f;
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
