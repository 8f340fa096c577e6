// Both builds must produce the same bits: the native and the 32-bit Windows test binaries check one hash.
#include "EngineFixtures.h"

#include <cstdio>
#include <gtest/gtest.h>

using namespace chorus;

namespace {

// A fixed render: every routing and shape, stage counts and parameters changing between blocks.
std::uint64_t renderFixedProgramme() {
    std::uint64_t hash = 14695981039346656037ull;
    const int routes[][2] = {{1, 1}, {1, 2}, {2, 2}};
    for (const auto& route : routes) {
        ChorusParameterSet set;
        auto engine = makeEngine(set, route[0], route[1], 44100.0, 300);
        Buffers in(route[0], 700), out(route[1], 700);
        for (int block = 0; block < 24; ++block) {
            for (std::size_t c = 0; c < in.data.size(); ++c) {
                for (std::size_t j = 0; j < 700; ++j) {
                    const double t = static_cast<double>(block * 700) + static_cast<double>(j);
                    in.data[c][j] =
                        static_cast<float>(0.5 * std::sin(0.031 * t * (1.0 + 0.2 * static_cast<double>(c))));
                }
            }
            set.setNormalizedValue(paramMix, static_cast<float>(block % 5) * 0.25f);
            set.setNormalizedValue(paramFreq, static_cast<float>(block % 7) * 0.15f);
            set.setNormalizedValue(paramDelay, static_cast<float>(block % 4) * 0.3f);
            set.setNormalizedValue(paramStages, static_cast<float>(block % 6) * 0.2f);
            set.setNormalizedValue(paramShape, static_cast<float>(block % 3) * 0.5f);
            engine->applyParameters(set);
            engine->render(in.get(), out.get(), 700, block % 2 == 1);
            for (const auto& channel : out.data) {
                hash = hashSamples(channel, hash);
            }
        }
    }
    return hash;
}

} // namespace

TEST(RenderHash, NativeAndWindowsBuildsRenderTheSameBits) {
    const std::uint64_t hash = renderFixedProgramme();
    std::printf("render hash %016llx\n", static_cast<unsigned long long>(hash));
    EXPECT_EQ(hash, 0x0f2d630d8a71fac9ull);
}
