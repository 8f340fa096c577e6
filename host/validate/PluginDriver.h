#pragma once

#include "host/session/HostedPlugin.h"
#include "host/session/ModuleLoader.h"
#include "host/validate/GuardedBuffers.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace chorus::host {

// One plug-in instance driven the way the validator's cases drive it: start-up, chunks, bounded texts and
// checked processing calls.
class PluginDriver {
public:
    static constexpr int maxChannels = 8; // more than this in the descriptor is not taken at its word
    static constexpr int nameLimit = 64;  // bytes, terminator included, of names, units and display texts
    static constexpr std::size_t textBuffer = 1024;

    explicit PluginDriver(ModuleLoader& module) : loader(module) {}

    bool create(std::string& error);
    void close() { plugin.close(); }
    HostedPlugin& host() noexcept { return plugin; }
    EffectDescriptor* descriptor() const noexcept { return plugin.descriptor(); }
    int inputs() const;
    int outputs() const;
    int parameters() const;
    int programs() const;
    bool canReplace() const;

    // Sample rate, block size and resume, in the order hosts send them.
    void start(float rate, int blockSize);
    std::vector<std::uint8_t> save(bool programOnly);
    // Copies the chunk a few bytes at a time, calling between() after every piece.
    template <typename F>
    std::vector<std::uint8_t> saveInPieces(bool programOnly, std::mt19937& rng, F between);
    std::int32_t load(std::vector<std::uint8_t> bytes, bool programOnly);
    std::vector<float> parameterValues();

    // A text request into a fenced buffer: the text, or a problem when it is unterminated within the limit
    // or the plug-in wrote past it.
    std::string text(std::int32_t opcode, std::int32_t index, std::string& problem, void* extra = nullptr);

    // One processing call with every check that holds for any input: guard zones, inputs left alone when
    // not processed in place, finite output for finite input. Empty, or what went wrong.
    // With countAllocations, allocations made inside the entry count as a problem too.
    std::string process(GuardedBuffers& in, GuardedBuffers& out, int frames, bool replacing, bool inPlace,
                        bool countAllocations = false);

private:
    ModuleLoader& loader;
    HostedPlugin plugin;
};

// A finite test signal: noise, a sine and, now and then, loud, tiny or denormal stretches.
void fillSignal(GuardedBuffers& buffers, std::mt19937& rng, int frames);
// Any normalised value, or with badValues also non-finite and out-of-range ones.
float randomValue(std::mt19937& rng, bool badValues);
int randomInt(std::mt19937& rng, int low, int high);

template <typename F>
std::vector<std::uint8_t> PluginDriver::saveInPieces(bool programOnly, std::mt19937& rng, F between) {
    void* data = nullptr;
    const std::intptr_t size = plugin.dispatch(opSaveState, programOnly ? 1 : 0, 0, &data);
    std::vector<std::uint8_t> copy;
    if (data == nullptr || size <= 0) {
        return copy;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (copy.size() < static_cast<std::size_t>(size)) {
        const std::size_t piece =
            std::min<std::size_t>(static_cast<std::size_t>(randomInt(rng, 1, 7)), size - copy.size());
        copy.insert(copy.end(), bytes + copy.size(), bytes + copy.size() + piece);
        between();
    }
    return copy;
}

} // namespace chorus::host
