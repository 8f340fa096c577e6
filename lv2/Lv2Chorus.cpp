#include "lv2/Lv2Chorus.h"

#include "lv2/ChorusPortRanges.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>
#include <mutex>

namespace chorus::lv2 {

namespace {

static_assert(std::size(parameterRanges) == parameterPorts);

constexpr intptr_t hostVersionAnswer = 2400;
constexpr char moduleFileName[] = "chorus.so";

// The module's callback carries no instance. It calls back only from main and from requests sent by
// instantiate, activate and cleanup (never from the audio entries), and those are serialised here, so
// the instance being configured is the one asking.
std::mutex configureMutex;
std::atomic<Lv2Chorus*> configuring{nullptr};

// The host's largest block from the options feature; 0 when it tells none.
int32_t hostMaxBlock(const LV2_Feature* const* features) {
    const LV2_URID_Map* map = nullptr;
    const LV2_Options_Option* options = nullptr;
    for (const LV2_Feature* const* f = features; f != nullptr && *f != nullptr; ++f) {
        if (std::strcmp((*f)->URI, LV2_URID__map) == 0) {
            map = static_cast<const LV2_URID_Map*>((*f)->data);
        } else if (std::strcmp((*f)->URI, LV2_OPTIONS__options) == 0) {
            options = static_cast<const LV2_Options_Option*>((*f)->data);
        }
    }
    if (map == nullptr || options == nullptr) {
        return 0;
    }
    const LV2_URID maxKey = map->map(map->handle, LV2_BUF_SIZE__maxBlockLength);
    const LV2_URID intType = map->map(map->handle, LV2_ATOM__Int);
    for (const LV2_Options_Option* o = options; o->key != 0; ++o) {
        if (o->key == maxKey && o->type == intType && o->size == sizeof(int32_t) && o->value != nullptr) {
            return *static_cast<const int32_t*>(o->value);
        }
    }
    return 0;
}

} // namespace

Lv2Chorus* Lv2Chorus::create(uint32_t inputs, double rate, const char* bundlePath,
                             const LV2_Feature* const* features) {
    if (bundlePath == nullptr || inputs < 1 || inputs > maxInputChannels || !(rate > 0.0)) {
        return nullptr;
    }
    const int32_t told = hostMaxBlock(features);
    const int32_t limit = told > 0 ? std::min(told, largestMaxBlock) : defaultMaxBlock;
    std::unique_ptr<Lv2Chorus> instance(new Lv2Chorus(inputs, rate, limit));
    std::string path = bundlePath;
    if (!path.empty() && path.back() != '/') {
        path += '/';
    }
    return instance->open(path + moduleFileName) ? instance.release() : nullptr;
}

Lv2Chorus::Lv2Chorus(uint32_t inputs, double rate, int32_t maxBlock)
    : inputCount(inputs), sampleRate(rate), blockLimit(maxBlock),
      fadeFrames(std::max(1, static_cast<int32_t>(rate * bypassFadeSeconds))), fadePosition(fadeFrames),
      dry(new float[static_cast<size_t>(maxBlock) * inputs]()),
      fadeCurve(new float[static_cast<size_t>(fadeFrames) + 1]) {
    sent.fill(std::numeric_limits<float>::quiet_NaN());
    // A raised cosine starts and ends without a bend, so the fade adds no edge of its own.
    const double pi = std::acos(-1.0);
    for (int32_t i = 0; i <= fadeFrames; ++i) {
        fadeCurve[static_cast<size_t>(i)] = static_cast<float>(0.5 - 0.5 * std::cos(pi * i / fadeFrames));
    }
}

Lv2Chorus::~Lv2Chorus() {
    if (effect != nullptr) {
        std::lock_guard<std::mutex> lock(configureMutex);
        configuring = this;
        effect->dispatchEntry(effect, opClose, 0, 0, nullptr, 0.0f);
        configuring = nullptr;
    }
}

bool Lv2Chorus::open(const std::string& modulePath) {
    std::string error;
    if (!module.load(modulePath, error)) {
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(configureMutex);
        configuring = this;
        effect = module.entry()(hostCallback);
        configuring = nullptr;
    }
    if (effect == nullptr || effect->magic != CHORUS_DESCRIPTOR_MAGIC ||
        effect->paramCount != static_cast<int32_t>(parameterPorts) || effect->outputCount < 2 ||
        effect->inputCount < static_cast<int32_t>(inputCount)) {
        return false;
    }
    dispatch(opOpen);
    dispatch(opSampleRate, 0, 0, static_cast<float>(sampleRate));
    dispatch(opBlockSize, 0, blockLimit);
    return true;
}

intptr_t Lv2Chorus::dispatch(int32_t opcode, int32_t index, intptr_t value, float opt) {
    std::lock_guard<std::mutex> lock(configureMutex);
    configuring = this;
    const intptr_t answer = effect->dispatchEntry(effect, opcode, index, value, nullptr, opt);
    configuring = nullptr;
    return answer;
}

intptr_t CHORUS_CDECL Lv2Chorus::hostCallback(EffectDescriptor*, int32_t opcode, int32_t index,
                                              intptr_t value, void*, float) {
    const Lv2Chorus* self = configuring.load();
    switch (opcode) {
    case hostOpVersion:
        return hostVersionAnswer;
    case hostOpPinConnected: {
        // 0 means connected. A mono-in instance connects one input: the module routes it into both outputs.
        const uint32_t pins =
            value == 0 ? (self != nullptr ? self->inputCount : maxInputChannels) : outputChannels;
        return index >= 0 && static_cast<uint32_t>(index) < pins ? 0 : 1;
    }
    default:
        return 0;
    }
}

void Lv2Chorus::connect(uint32_t port, void* data) noexcept {
    if (port < parameterPorts) {
        controls[port] = static_cast<const float*>(data);
    } else if (port == enabledPort) {
        enabled = static_cast<const float*>(data);
    } else if (port < firstOutputPort(inputCount)) {
        audioIn[port - firstAudioPort] = static_cast<const float*>(data);
    } else if (port < portCount(inputCount)) {
        audioOut[port - firstOutputPort(inputCount)] = static_cast<float*>(data);
    }
}

// A rate told again rebuilds the engine: each activation starts from silence, whatever ran before.
void Lv2Chorus::activate() {
    dispatch(opSampleRate, 0, 0, static_cast<float>(sampleRate));
    dispatch(opPower, 0, 1);
    firstRun = true;
}

void Lv2Chorus::deactivate() {
    dispatch(opPower, 0, 0);
}

// Out-of-range values are clamped; a NaN is ignored (the module keeps the value it has).
void Lv2Chorus::sendControls() noexcept {
    for (uint32_t i = 0; i < parameterPorts; ++i) {
        if (controls[i] == nullptr || std::isnan(*controls[i])) {
            continue;
        }
        const PortRange range = parameterRanges[i];
        const double real = std::clamp(static_cast<double>(*controls[i]), static_cast<double>(range.minimum),
                                       static_cast<double>(range.maximum));
        const auto normalised = static_cast<float>((real - range.minimum) / (range.maximum - range.minimum));
        if (std::bit_cast<uint32_t>(normalised) != std::bit_cast<uint32_t>(sent[i])) {
            effect->setParamEntry(effect, static_cast<int32_t>(i), normalised);
            sent[i] = normalised;
        }
    }
}

void Lv2Chorus::run(uint32_t frames) noexcept {
    for (uint32_t c = 0; c < inputCount; ++c) {
        if (audioIn[c] == nullptr) {
            return;
        }
    }
    if (audioOut[0] == nullptr || audioOut[1] == nullptr) {
        return;
    }
    sendControls();
    if (enabled != nullptr && !std::isnan(*enabled)) {
        effectOn = *enabled > 0.0f;
    }
    if (firstRun) {
        fadePosition = effectOn ? fadeFrames : 0; // a host that starts bypassed hears no fade
        firstRun = false;
    }
    const auto limit = static_cast<uint32_t>(blockLimit);
    for (uint32_t offset = 0; offset < frames; offset += limit) {
        processChunk(offset, std::min(limit, frames - offset));
    }
}

void Lv2Chorus::processChunk(uint32_t offset, uint32_t frames) noexcept {
    // Outputs may be the inputs' buffers: keep the dry signal first when it is to be heard.
    const bool dryHeard = fadePosition < fadeFrames || !effectOn;
    if (dryHeard) {
        for (uint32_t c = 0; c < inputCount; ++c) {
            std::copy_n(audioIn[c] + offset, frames, dry.get() + c * static_cast<size_t>(blockLimit));
        }
    }
    float* in[maxInputChannels] = {const_cast<float*>(audioIn[0]) + offset,
                                   const_cast<float*>(audioIn[inputCount - 1]) + offset};
    float* out[outputChannels] = {audioOut[0] + offset, audioOut[1] + offset};
    // The effect keeps running while bypassed, so switching it back on fades into its current sound.
    effect->replaceProcessEntry(effect, in, out, static_cast<int32_t>(frames));
    if (dryHeard) {
        mixBypass(offset, frames);
    }
}

void Lv2Chorus::mixBypass(uint32_t offset, uint32_t frames) noexcept {
    const int32_t step = effectOn ? 1 : -1;
    int32_t position = fadePosition;
    for (uint32_t c = 0; c < outputChannels; ++c) {
        const float* source = dry.get() + std::min(c, inputCount - 1) * static_cast<size_t>(blockLimit);
        float* target = audioOut[c] + offset;
        position = fadePosition;
        for (uint32_t i = 0; i < frames; ++i) {
            position = std::clamp(position + step, 0, fadeFrames);
            if (position == 0) {
                target[i] = source[i];
            } else if (position < fadeFrames) {
                const float gain = fadeCurve[static_cast<size_t>(position)];
                target[i] = gain * target[i] + (1.0f - gain) * source[i];
            }
        }
    }
    fadePosition = position;
}

} // namespace chorus::lv2
