// Rendering allocates nothing: every global allocation in this program is counted.
#include "EngineFixtures.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>

namespace {
std::atomic<long> allocations{0};
std::atomic<std::size_t> largestAllocation{0};
} // namespace

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    std::size_t largest = largestAllocation.load(std::memory_order_relaxed);
    while (size > largest && !largestAllocation.compare_exchange_weak(largest, size)) {
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}
// Not inlined: where GCC sees free() right after a new-expression it warns of a mismatch that is none.
[[gnu::noinline]] void operator delete(void* p) noexcept {
    std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

using namespace chorus;

TEST(ChorusProcessor, RenderAndParameterChangesAllocateNothing) {
    const int routes[][2] = {{1, 1}, {1, 2}, {2, 2}};
    for (const auto& route : routes) {
        ChorusParameterSet set;
        set.setRealValue(paramStages, 4.0f);
        auto engine = makeEngine(set, route[0], route[1], 44100.0, 256);
        Buffers in(route[0], 1000), out(route[1], 1000);
        in.fillNoise(3);
        const long before = allocations.load();
        for (int block = 0; block < 20; ++block) {
            set.setNormalizedValue(paramFreq, static_cast<float>(block) * 0.05f);
            set.setNormalizedValue(paramShape, static_cast<float>(block % 3) * 0.5f);
            engine->applyParameters(set);
            engine->render(in.get(), out.get(), 1000, block % 2 == 0);
            engine->processAt(in.get(), 10, out.get(), 20, 100);
        }
        EXPECT_EQ(allocations.load() - before, 0) << route[0] << "x" << route[1];
    }
    // The counter itself works.
    const long before = allocations.load();
    auto probe = std::make_unique<int>(1);
    EXPECT_EQ(allocations.load() - before, 1);
}

// A host may announce any block size; the engine must not reserve memory in proportion to it.
TEST(ChorusProcessor, AHugeAnnouncedBlockSizeReservesNoMoreThanAnOrdinaryOne) {
    constexpr int announced = 1 << 22; // frames: 16 MB per channel if scratch followed it
    constexpr int frames = ChorusProcessor::maxScratchFrames * 2 + 123;
    constexpr std::size_t limit = 1 << 20;
    ChorusParameterSet setA, setB;
    largestAllocation.store(0);
    auto adding = makeEngine(setA, 2, 2, 44100.0, announced);
    EXPECT_LT(largestAllocation.load(), limit);
    // Adding calls longer than the scratch buffers still add exactly what replacing gives.
    auto replacing = makeEngine(setB, 2, 2, 44100.0, announced);
    Buffers in(2, frames), prior(2, frames), out(2, frames);
    in.fillNoise(21);
    prior.fillNoise(22);
    Buffers sum = prior;
    sum.ptrs = {sum.data[0].data(), sum.data[1].data()};
    replacing->render(in.get(), out.get(), frames, false);
    adding->render(in.get(), sum.get(), frames, true);
    for (int c = 0; c < 2; ++c) {
        for (std::size_t j = 0; j < static_cast<std::size_t>(frames); ++j) {
            ASSERT_EQ(sum.data[c][j], out.data[c][j] + prior.data[c][j]) << c << " " << j;
        }
    }
}
