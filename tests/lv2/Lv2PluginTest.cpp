// The bundle's binary loaded as an LV2 host loads it (dlopen, lv2_descriptor, features), counting every
// operator new of the process: the wrapper and the module it hosts bind to this program's operators.
#include "host/audio/DemoSignal.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/options/options.h>
#include <lv2/urid/urid.h>
#include <new>
#include <random>
#include <string>
#include <vector>

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void* allocate(std::size_t size) {
    if (counting.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
    }
    return std::malloc(size == 0 ? 1 : size);
}

} // namespace

void* operator new(std::size_t size) {
    if (void* p = allocate(size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

constexpr char stereoUri[] = "http://quillfen.example/lv2/chorus/stereo";
constexpr char monoInUri[] = "http://quillfen.example/lv2/chorus/mono-in";
constexpr double rate = 44100.0;
constexpr uint32_t controls = 5; // mix, freq, delay, stages, shape
constexpr uint32_t enabledPort = 5;
constexpr uint32_t firstAudioPort = 6;

// The bundle's binary, loaded once for the whole program as hosts do.
const LV2_Descriptor* descriptorOf(const std::string& uri) {
    static void* library = dlopen(CHORUS_LV2_BINARY, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return nullptr;
    }
    const auto entry = reinterpret_cast<LV2_Descriptor_Function>(dlsym(library, "lv2_descriptor"));
    for (uint32_t i = 0; entry != nullptr && entry(i) != nullptr; ++i) {
        if (uri == entry(i)->URI) {
            return entry(i);
        }
    }
    return nullptr;
}

// One instance with its buffers; maxBlock 0 offers no options feature (as lv2apply and ecasound).
class Instance {
public:
    Instance(const char* uri, int32_t maxBlock, uint32_t capacity)
        : inputs(uri == std::string(monoInUri) ? 1 : 2) {
        d = descriptorOf(uri);
        if (d == nullptr) {
            return;
        }
        map = {this, [](LV2_URID_Map_Handle self, const char* u) -> LV2_URID {
                   auto& known = static_cast<Instance*>(self)->uris;
                   const auto found = std::find(known.begin(), known.end(), u);
                   if (found == known.end()) {
                       known.emplace_back(u);
                       return static_cast<LV2_URID>(known.size());
                   }
                   return static_cast<LV2_URID>(found - known.begin() + 1);
               }};
        block = maxBlock;
        options[0] = {
            LV2_OPTIONS_INSTANCE,         0,     map.map(this, LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t),
            map.map(this, LV2_ATOM__Int), &block};
        options[1] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
        const LV2_Feature mapFeature{LV2_URID__map, &map};
        const LV2_Feature optionsFeature{LV2_OPTIONS__options, options};
        const LV2_Feature* offered[] = {&mapFeature, &optionsFeature, nullptr};
        const LV2_Feature* none[] = {nullptr};
        handle = d->instantiate(d, rate, CHORUS_LV2_BUNDLE, maxBlock > 0 ? offered : none);
        in.assign(inputs, std::vector<float>(capacity));
        out.assign(2, std::vector<float>(capacity));
        for (uint32_t c = 0; c < controls; ++c) {
            d->connect_port(handle, c, &control[c]);
        }
        d->connect_port(handle, enabledPort, &enabled);
    }
    ~Instance() {
        if (handle != nullptr) {
            d->cleanup(handle);
        }
    }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;

    bool ok() const { return handle != nullptr; }

    // Runs frames from frame `at` of the input (each channel's buffer holds the whole signal);
    // inPlace hands the host's input buffers as outputs too, as Ardour does.
    void run(uint32_t at, uint32_t frames, bool inPlace) {
        for (uint32_t c = 0; c < inputs; ++c) {
            d->connect_port(handle, firstAudioPort + c, in[c].data() + at);
        }
        for (uint32_t c = 0; c < 2; ++c) {
            float* target = inPlace && c < inputs ? in[c].data() + at : out[c].data() + at;
            d->connect_port(handle, firstAudioPort + inputs + c, target);
        }
        d->run(handle, frames);
        if (inPlace) {
            for (uint32_t c = 0; c < inputs; ++c) {
                std::copy_n(in[c].data() + at, frames, out[c].data() + at);
            }
        }
    }

    const LV2_Descriptor* d = nullptr;
    LV2_Handle handle = nullptr;
    uint32_t inputs;
    float control[controls] = {50.0f, 2.0f, 2.0f, 1.0f, 1.0f};
    float enabled = 1.0f;
    std::vector<std::vector<float>> in;
    std::vector<std::vector<float>> out;

private:
    std::vector<std::string> uris;
    LV2_URID_Map map{};
    int32_t block = 0;
    LV2_Options_Option options[2]{};
};

void fillDemo(Instance& instance, uint32_t frames) {
    const auto demo = chorus::host::DemoSignal::generate(static_cast<int>(rate), frames / rate + 0.1);
    for (uint32_t c = 0; c < instance.inputs; ++c) {
        for (uint32_t f = 0; f < frames; ++f) {
            instance.in[c][f] = demo.sample(f, static_cast<int>(c));
        }
    }
}

struct Variant {
    const char* uri;
    int32_t maxBlock; // offered through options; 0: none
};
const Variant variants[] = {{stereoUri, 0}, {stereoUri, 256}, {monoInUri, 0}, {monoInUri, 1000}};

// Every block size from 1 to past the largest (cut by the wrapper), in place and not, with controls and
// the bypass moving: nothing allocates once activated, and nothing is rebuilt (a rebuild allocates).
TEST(Lv2Plugin, RunNeverAllocatesAfterActivation) {
    for (const Variant& v : variants) {
        for (bool inPlace : {false, true}) {
            constexpr uint32_t longest = 4200; // past the wrapper's default largest block of 4096
            Instance instance(v.uri, v.maxBlock, longest);
            ASSERT_TRUE(instance.ok()) << v.uri;
            instance.d->activate(instance.handle);
            allocations = 0;
            counting = true;
            for (uint32_t frames = 1; frames <= longest; ++frames) {
                instance.control[frames % controls] = static_cast<float>(frames % 7);
                instance.enabled = (frames / 50) % 2 == 0 ? 1.0f : 0.0f;
                instance.run(0, frames, inPlace);
            }
            counting = false;
            EXPECT_EQ(allocations.load(), 0)
                << v.uri << " max " << v.maxBlock << (inPlace ? " in place" : "");
            instance.d->deactivate(instance.handle);
        }
    }
}

// Blocks of any size, in place or not, cut or not, sound as one steady run; and a second activation
// starts from silence as the first did.
TEST(Lv2Plugin, BlockSizesInPlaceAndReactivationGiveTheSameSamples) {
    constexpr uint32_t frames = 30000;
    for (const Variant& v : variants) {
        Instance steady(v.uri, 512, frames);
        Instance varied(v.uri, v.maxBlock, frames);
        ASSERT_TRUE(steady.ok() && varied.ok());
        steady.control[3] = varied.control[3] = 4.0f;
        fillDemo(steady, frames);
        fillDemo(varied, frames);
        steady.d->activate(steady.handle);
        for (uint32_t at = 0; at < frames; at += 512) {
            steady.run(at, std::min(512u, frames - at), false);
        }
        std::mt19937 random(7);
        for (int pass = 0; pass < 2; ++pass) {
            varied.d->activate(varied.handle);
            fillDemo(varied, frames);
            for (uint32_t at = 0, size = 1; at < frames; at += size) {
                size = std::min(frames - at, 1 + static_cast<uint32_t>(random() % 3000));
                varied.run(at, size, pass == 1);
            }
            varied.d->deactivate(varied.handle);
            for (uint32_t c = 0; c < 2; ++c) {
                const auto differ =
                    std::mismatch(steady.out[c].begin(), steady.out[c].end(), varied.out[c].begin());
                ASSERT_TRUE(differ.first == steady.out[c].end())
                    << v.uri << " max " << v.maxBlock << " channel " << c << " pass " << pass
                    << ": first difference at frame " << differ.first - steady.out[c].begin();
            }
        }
    }
}

float largestSecondDifference(const std::vector<float>& x, size_t from, size_t to) {
    float largest = 0.0f;
    for (size_t i = std::max<size_t>(from, 1); i + 1 < std::min(to, x.size()); ++i) {
        largest = std::max(largest, std::fabs(x[i + 1] - 2.0f * x[i] + x[i - 1]));
    }
    return largest;
}

// Bypass switched off and on mid-stream: no edge larger than the effect's or the input's own, and while
// off the input comes out sample for sample.
TEST(Lv2Plugin, BypassFadesWithoutClickAndPassesTheInputExactly) {
    constexpr uint32_t block = 256;
    constexpr uint32_t frames = 172 * block;
    constexpr uint32_t off = 12800;
    constexpr uint32_t on = 30720;
    constexpr uint32_t fade = 442; // 10 ms at 44.1 kHz, and a frame
    constexpr uint32_t settled = 4096;
    const double toneStep = 2.0 * std::acos(-1.0) * 220.0 / rate;
    for (const char* uri : {stereoUri, monoInUri}) {
        Instance effect(uri, block, frames);
        Instance switched(uri, block, frames);
        ASSERT_TRUE(effect.ok() && switched.ok());
        // A low tone: its own bends are small, so an edge the switch adds stands out.
        for (Instance* instance : {&effect, &switched}) {
            for (uint32_t c = 0; c < instance->inputs; ++c) {
                for (uint32_t f = 0; f < frames; ++f) {
                    instance->in[c][f] = 0.5f * static_cast<float>(std::sin(toneStep * f + c));
                }
            }
        }
        const std::vector<std::vector<float>> inputs = switched.in;
        effect.d->activate(effect.handle);
        switched.d->activate(switched.handle);
        for (uint32_t at = 0; at < frames; at += block) {
            switched.enabled = at >= off && at < on ? 0.0f : 1.0f;
            effect.run(at, block, false);
            switched.run(at, block, true);
        }
        for (uint32_t c = 0; c < 2; ++c) {
            const std::vector<float>& out = switched.out[c];
            const std::vector<float>& dry = inputs[std::min(c, switched.inputs - 1)];
            for (uint32_t f = off + fade; f < on; ++f) {
                ASSERT_EQ(out[f], dry[f]) << uri << " channel " << c << " frame " << f;
            }
            // The effect's own, once its start from silence is over.
            const float own = std::max(largestSecondDifference(effect.out[c], settled, frames),
                                       largestSecondDifference(dry, 0, frames));
            for (uint32_t at : {off, on}) {
                EXPECT_LE(largestSecondDifference(out, at - block, at + fade + block), own)
                    << uri << " channel " << c << " switched at " << at;
            }
            EXPECT_TRUE(std::equal(out.begin(), out.begin() + off, effect.out[c].begin())) << uri;
        }
    }
}

} // namespace
