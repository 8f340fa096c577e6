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
    EXPECT_GE(set.getChangedCount(), 0);
    EXPECT_LE(set.getChangedCount(), chorusParamCount);
}
