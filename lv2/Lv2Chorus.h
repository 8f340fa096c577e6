#pragma once

#include "host/session/ModuleLoader.h"
#include "lv2/ChorusPorts.h"
#include "plugin/PluginAbi.h"

#include <array>
#include <cstdint>
#include <lv2/core/lv2.h>
#include <memory>
#include <string>

namespace chorus::lv2 {

// One LV2 instance: a chorus effect created through the module's "main" (chorus.so beside this binary)
// and driven only through its descriptor, like any other host of the module. Control values are clamped
// to the module's ranges and sent as parameter changes; blocks longer than the module was told are cut;
// the bypass port crossfades between the effect and the dry input.
class Lv2Chorus {
public:
    static constexpr int32_t defaultMaxBlock = 4096;  // frames, when the host tells no maximum
    static constexpr int32_t largestMaxBlock = 16384; // frames; longer host blocks are cut to this
    static constexpr double bypassFadeSeconds = 0.01;

    // Null when the module cannot be loaded or refuses the rate.
    static Lv2Chorus* create(uint32_t inputs, double rate, const char* bundlePath,
                             const LV2_Feature* const* features);
    ~Lv2Chorus();
    Lv2Chorus(const Lv2Chorus&) = delete;
    Lv2Chorus& operator=(const Lv2Chorus&) = delete;

    void connect(uint32_t port, void* data) noexcept;
    void activate();
    void deactivate();
    void run(uint32_t frames) noexcept;

    int32_t maxBlock() const noexcept { return blockLimit; }

private:
    Lv2Chorus(uint32_t inputs, double rate, int32_t maxBlock);
    bool open(const std::string& modulePath);
    intptr_t dispatch(int32_t opcode, int32_t index = 0, intptr_t value = 0, float opt = 0.0f);
    static intptr_t CHORUS_CDECL hostCallback(EffectDescriptor* effect, int32_t opcode, int32_t index,
                                              intptr_t value, void* ptr, float opt);
    void sendControls() noexcept;
    void processChunk(uint32_t offset, uint32_t frames) noexcept;
    void mixBypass(uint32_t offset, uint32_t frames) noexcept;

    const uint32_t inputCount;
    const double sampleRate;
    const int32_t blockLimit;
    const int32_t fadeFrames;
    host::ModuleLoader module;
    EffectDescriptor* effect = nullptr;

    std::array<const float*, parameterPorts> controls{};
    const float* enabled = nullptr;
    std::array<const float*, maxInputChannels> audioIn{};
    std::array<float*, outputChannels> audioOut{};
    std::array<float, parameterPorts> sent{}; // normalised values last sent (NaN: none yet)

    // Frames into the fade from dry to effect: fadeFrames the effect alone, 0 the dry input alone.
    int32_t fadePosition;
    bool effectOn = true; // where the fade is heading
    bool firstRun = true;
    std::unique_ptr<float[]> dry;       // a copy of the inputs, one block per channel
    std::unique_ptr<float[]> fadeCurve; // the effect's gain at each fade position, a raised cosine
};

} // namespace chorus::lv2
