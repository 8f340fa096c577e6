#include "FuzzEffect.h"

#include "FuzzCheck.h"
#include "FuzzInput.h"

#include <cmath>
#include <cstring>
#include <vector>

extern "C" EffectDescriptor* CHORUS_CDECL pluginMain(HostCallback callback);

namespace {

constexpr int32_t hostVersionAnswer = 2400;
constexpr int32_t programChunkBytes = 84;
constexpr int32_t bankChunkBytes = 672;
uint32_t disconnectedPins = 0;

intptr_t CHORUS_CDECL hostCallback(EffectDescriptor*, int32_t opcode, int32_t index, intptr_t, void*, float) {
    switch (opcode) {
    case hostOpVersion:
        return hostVersionAnswer;
    case hostOpPinConnected:
        return index >= 0 && index < 32 && ((disconnectedPins >> index) & 1u) != 0 ? 1 : 0;
    default:
        return 0;
    }
}

} // namespace

FuzzEffect::FuzzEffect() : effect(pluginMain(hostCallback)) {
    fuzzCheck(effect != nullptr, "the module made no effect");
    fuzzCheck(effect->inputCount >= 1 && effect->inputCount <= 2 && effect->outputCount >= 1 &&
                  effect->outputCount <= 2,
              "descriptor channel counts");
}

FuzzEffect::~FuzzEffect() {
    effect->dispatchEntry(effect, opClose, 0, 0, nullptr, 0.0f);
    disconnectedPins = 0;
}

void FuzzEffect::setDisconnectedPins(uint32_t mask) noexcept {
    disconnectedPins = mask;
}

intptr_t FuzzEffect::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return effect->dispatchEntry(effect, opcode, index, value, ptr, opt);
}

void FuzzEffect::setParam(int32_t index, float value) {
    effect->setParamEntry(effect, index, value);
}

float FuzzEffect::getParam(int32_t index) {
    const float value = effect->getParamEntry(effect, index);
    fuzzCheck(std::isfinite(value), "a parameter read back is not finite");
    return value;
}

void FuzzEffect::processBlock(FuzzInput& input, int32_t frames, bool adding) {
    const auto length = static_cast<size_t>(frames > 0 ? frames : 0);
    std::vector<std::vector<float>> in(static_cast<size_t>(effect->inputCount), std::vector<float>(length));
    std::vector<std::vector<float>> out(static_cast<size_t>(effect->outputCount), std::vector<float>(length));
    std::vector<float*> inPtrs;
    std::vector<float*> outPtrs;
    // A short pattern repeated keeps the harness fast on long blocks.
    float pattern[64];
    for (float& s : pattern) {
        s = input.sample();
    }
    for (auto& channel : in) {
        for (size_t j = 0; j < length; ++j) {
            channel[j] = pattern[(j * 7 + inPtrs.size()) % std::size(pattern)];
        }
        inPtrs.push_back(channel.data());
    }
    for (auto& channel : out) {
        for (size_t j = 0; j < length; ++j) {
            channel[j] = pattern[j % std::size(pattern)] * 0.5f;
        }
        outPtrs.push_back(channel.data());
    }
    (adding ? effect->addProcessEntry : effect->replaceProcessEntry)(effect, inPtrs.data(), outPtrs.data(),
                                                                     frames);
    for (const auto& channel : out) {
        for (float s : channel) {
            fuzzCheck(std::isfinite(s), "an output sample is not finite");
        }
    }
}

void FuzzEffect::textRequest(int32_t opcode, int32_t index) {
    std::vector<char> text(textBytes, '\x5A');
    dispatch(opcode, index, 0, text.data(), 0.0f);
    fuzzCheck(terminatedWithin(text.data(), textBytes), "a text is not terminated inside its buffer");
}

void FuzzEffect::checkTexts() {
    const intptr_t current = dispatch(opCurrentProgram, 0, 0, nullptr, 0.0f);
    fuzzCheck(current >= 0 && current < effect->programCount, "current program out of range");
    textRequest(opProgramName, 0);
    for (int32_t index = -2; index <= effect->paramCount + 1; ++index) {
        textRequest(opParamName, index);
        textRequest(opParamUnit, index);
        textRequest(opParamValueText, index);
        if (index >= 0 && index < effect->paramCount) {
            getParam(index);
        }
    }
    textRequest(opVendorName, 0);
}

void FuzzEffect::checkChunks() {
    for (const bool programOnly : {true, false}) {
        void* chunk = nullptr;
        const intptr_t size = dispatch(opSaveState, programOnly ? 1 : 0, 0, &chunk, 0.0f);
        fuzzCheck(size == (programOnly ? programChunkBytes : bankChunkBytes), "chunk size");
        fuzzCheck(chunk != nullptr, "chunk pointer");
        // A host copies what it is given: every byte must be readable.
        std::vector<uint8_t> copy(static_cast<size_t>(size));
        std::memcpy(copy.data(), chunk, copy.size());
    }
}
