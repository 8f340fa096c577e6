// The bundle binary's one export: the stereo and the mono-in plug-in. No exception crosses into the host.
#include "lv2/ChorusPorts.h"
#include "lv2/Lv2Chorus.h"

#include <lv2/core/lv2.h>

namespace {

using chorus::lv2::Lv2Chorus;

Lv2Chorus* instance(LV2_Handle handle) {
    return static_cast<Lv2Chorus*>(handle);
}

template <uint32_t inputs>
LV2_Handle instantiate(const LV2_Descriptor*, double rate, const char* bundlePath,
                       const LV2_Feature* const* features) {
    try {
        return Lv2Chorus::create(inputs, rate, bundlePath, features);
    } catch (...) {
        return nullptr;
    }
}

void connectPort(LV2_Handle handle, uint32_t port, void* data) {
    instance(handle)->connect(port, data);
}

void activate(LV2_Handle handle) {
    try {
        instance(handle)->activate();
    } catch (...) {
    }
}

void run(LV2_Handle handle, uint32_t frames) {
    instance(handle)->run(frames);
}

void deactivate(LV2_Handle handle) {
    try {
        instance(handle)->deactivate();
    } catch (...) {
    }
}

void cleanup(LV2_Handle handle) {
    delete instance(handle);
}

const void* extensionData(const char*) {
    return nullptr;
}

const LV2_Descriptor descriptors[] = {
    {chorus::lv2::stereoUri.data(), instantiate<2>, connectPort, activate, run, deactivate, cleanup,
     extensionData},
    {chorus::lv2::monoInUri.data(), instantiate<1>, connectPort, activate, run, deactivate, cleanup,
     extensionData},
};

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    return index < std::size(descriptors) ? &descriptors[index] : nullptr;
}
