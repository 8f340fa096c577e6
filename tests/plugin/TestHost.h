#pragma once

#include "plugin/PluginAbi.h"

#include <cstdint>
#include <functional>
#include <vector>

// A host callback that records every request and answers as a test sets it up.
struct RecordedCall {
    EffectDescriptor* effect;
    int32_t opcode;
    int32_t index;
    intptr_t value;
    void* ptr;
    float opt;
};

class TestHost {
public:
    static intptr_t CHORUS_CDECL callback(EffectDescriptor* effect, int32_t opcode, int32_t index,
                                          intptr_t value, void* ptr, float opt);
    // Clears the record and restores the default answers (version 2400, every pin connected, else 0).
    static void reset();
    static std::vector<RecordedCall> callsWith(int32_t opcode);

    static std::vector<RecordedCall> calls;
    static std::function<intptr_t(const RecordedCall&)> answer;
};
