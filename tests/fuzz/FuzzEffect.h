#pragma once

#include "plugin/PluginAbi.h"

#include <cstdint>

class FuzzInput;

// One effect made through the module's entry, driven the way a careful host would: exactly sized
// buffers for texts and audio (so that the sanitiser sees any overrun) and checks on every answer.
class FuzzEffect {
public:
    static constexpr int textBytes = 64;       // what hosts give for names, units and display texts
    static constexpr int maxHostFrames = 8192; // the longest block the harnesses send

    FuzzEffect();
    ~FuzzEffect();
    FuzzEffect(const FuzzEffect&) = delete;
    FuzzEffect& operator=(const FuzzEffect&) = delete;

    intptr_t dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    void setParam(int32_t index, float value);
    // Reads a parameter and checks the answer is finite.
    float getParam(int32_t index);

    // One block of `frames` frames through the adding or replacing entry, inputs from -1 to 1 taken from
    // `input`. Checks that every output sample is finite.
    void processBlock(FuzzInput& input, int32_t frames, bool adding);

    // Every text request (the current program's name, parameter names, units and display texts for indices
    // around the table, the vendor) into exactly sized buffers: each must be terminated inside its buffer.
    void checkTexts();
    // Requests both chunks and reads every byte the effect hands out.
    void checkChunks();

    // The host's answer to "is pin n connected" (0 means connected), bit n of the mask.
    static void setDisconnectedPins(uint32_t mask) noexcept;
    EffectDescriptor* descriptor() const noexcept { return effect; }

private:
    void textRequest(int32_t opcode, int32_t index);

    EffectDescriptor* effect;
};
