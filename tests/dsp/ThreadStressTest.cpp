// One thread writes parameters while another applies them and renders, as host threads do.
// Run under ThreadSanitizer by the test script; here it must stay finite and within range.
#include "EngineFixtures.h"

#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>

using namespace chorus;

TEST(ChorusProcessor, ParametersWrittenWhileRenderingOnAnotherThread) {
    ChorusParameterSet set;
    auto engine = makeEngine(set, 2, 2, 44100.0, 128);
    std::atomic<bool> done{false};
    std::thread writer([&] {
        std::mt19937 rng(42);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        while (!done.load(std::memory_order_relaxed)) {
            const int index = static_cast<int>(rng() % chorusParamCount);
            set.setNormalizedValue(index, unit(rng));
            if (rng() % 16 == 0) {
                set.raiseApplyHold();
                set.lowerApplyHold();
            }
        }
    });
    Buffers in(2, 128), out(2, 128);
    in.fillNoise(6);
    for (int block = 0; block < 3000; ++block) {
        if (set.getApplyHold() == 0) {
            engine->applyParameters(set);
        }
        engine->render(in.get(), out.get(), 128, false);
        ASSERT_TRUE(std::isfinite(out.data[0][127]));
    }
    done = true;
    writer.join();
    EXPECT_GE(engine->getActiveStages(), 1);
    EXPECT_LE(engine->getActiveStages(), 4);
    // Whatever the interleaving, the count ends equal to the marks that are set.
    int marked = 0;
    for (int i = 0; i < chorusParamCount; ++i) {
        marked += set.isChanged(i) ? 1 : 0;
    }
    EXPECT_EQ(set.getChangedCount(), marked);
}

// A mark set on one thread while another clears it: the count must follow the marks exactly, or it drifts up
// and the engine is asked to look for changes that are not there (or, capped, misses real ones).
TEST(ParameterSet, ChangedCountFollowsMarksSetAndClearedOnTwoThreads) {
    ChorusParameterSet set;
    set.clearAllChanged();
    constexpr int rounds = 2000000;
    std::atomic<bool> go{false};
    std::thread writer([&] {
        while (!go.load()) {
        }
        for (int i = 0; i < rounds; ++i) {
            set.markChanged(paramFreq);
        }
    });
    go = true;
    for (int i = 0; i < rounds; ++i) {
        set.clearChanged(paramFreq);
    }
    writer.join();
    EXPECT_EQ(set.getChangedCount(), set.isChanged(paramFreq) ? 1 : 0);
}
