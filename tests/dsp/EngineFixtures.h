#pragma once

#include "dsp/ChorusParameterSet.h"
#include "dsp/ChorusProcessor.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

// Channel buffers with the host's layout: one float array per channel, and the array of their pointers.
struct Buffers {
    Buffers(int channels, int frames, float fill = 0.0f)
        : data(static_cast<std::size_t>(channels),
               std::vector<float>(static_cast<std::size_t>(frames), fill)) {
        for (auto& channel : data) {
            ptrs.push_back(channel.data());
        }
    }
    void fillNoise(unsigned seed) {
        std::mt19937 rng(seed);
        std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
        for (auto& channel : data) {
            for (float& v : channel) {
                v = noise(rng);
            }
        }
    }
    float** get() { return ptrs.data(); }
    std::vector<std::vector<float>> data;
    std::vector<float*> ptrs;
};

// An engine that has taken the set's values, as the effect builds it.
inline std::unique_ptr<chorus::ChorusProcessor> makeEngine(chorus::ParameterSet& set, int inputs, int outputs,
                                                           double rate = 44100.0, int blockSize = 512) {
    auto engine = std::make_unique<chorus::ChorusProcessor>(inputs, rate, outputs, blockSize);
    set.markAllChanged();
    engine->applyParameters(set);
    return engine;
}

// FNV-1a over the bytes of every sample: equal hashes mean bit-identical output.
inline std::uint64_t hashSamples(const std::vector<float>& samples,
                                 std::uint64_t hash = 14695981039346656037ull) {
    for (float v : samples) {
        unsigned char bytes[sizeof v];
        std::memcpy(bytes, &v, sizeof v);
        for (unsigned char b : bytes) {
            hash = (hash ^ b) * 1099511628211ull;
        }
    }
    return hash;
}
