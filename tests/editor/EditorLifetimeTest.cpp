#include "gui/core/GuiGdiCounter.h"
#include "tests/editor/EditorHarness.h"

#include <atomic>
#include <cstdio>
#include <gtest/gtest.h>
#include <thread>
#include <vector>
#include <windows.h>

namespace chorus::test {

namespace {

constexpr int cycles = 100;
constexpr int warmUpCycles = 5;
constexpr int frames = 256;
constexpr SIZE_T allowedGrowth = 64 * 1024; // heap bytes the cycles may add

// Bytes in use in every heap of the process (the C runtime's allocations live there too).
SIZE_T heapBytesInUse() {
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    SIZE_T total = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapLock(heaps[i])) {
            continue;
        }
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry)) {
            if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) {
                total += entry.cbData;
            }
        }
        HeapUnlock(heaps[i]);
    }
    return total;
}

// Audio blocks through the effect on a second thread, as a host's audio thread runs them.
class AudioThread {
public:
    explicit AudioThread(ChorusEffect& effect) : plugin(effect) {
        thread = std::thread([this] { run(); });
    }
    ~AudioThread() {
        running = false;
        thread.join();
    }
    AudioThread(const AudioThread&) = delete;
    AudioThread& operator=(const AudioThread&) = delete;
    long long blocks() const { return done.load(); }

private:
    void run() {
        std::vector<float> in(frames * 2);
        std::vector<float> out(frames * 2);
        float* inputs[2] = {in.data(), in.data() + frames};
        float* outputs[2] = {out.data(), out.data() + frames};
        for (int i = 0; i < frames; ++i) {
            in[static_cast<std::size_t>(i)] = static_cast<float>(i % 50) / 50.0f - 0.5f;
        }
        while (running) {
            plugin.processReplace(inputs, outputs, frames);
            ++done;
            std::this_thread::yield();
        }
    }

    ChorusEffect& plugin;
    std::atomic<bool> running{true};
    std::atomic<long long> done{0};
    std::thread thread;
};

TEST(EditorLifetime, HundredOpensAndClosesWhileAudioRunsLeaveNothingBehind) {
    EditorHarness h;
    h.dispatch(opSampleRate, 0, 0, nullptr, 44100.0f);
    h.dispatch(opBlockSize, 0, frames);
    h.dispatch(opPower, 0, 1);
    h.close();
    const int gdiAtStart = GuiGdiCounter::live();
    AudioThread audio(h.effect());
    for (int i = 0; i < warmUpCycles; ++i) {
        ASSERT_TRUE(h.open());
        h.idle();
        h.close();
    }
    const SIZE_T memoryBefore = heapBytesInUse();
    for (int i = 0; i < cycles; ++i) {
        ASSERT_TRUE(h.open()) << "cycle " << i;
        h.setParameter(1, static_cast<float>(i % 10) / 10.0f);
        h.idle();
        ASSERT_GT(GuiGdiCounter::live(), gdiAtStart) << "an open editor holds drawing objects";
        h.close();
        ASSERT_EQ(GuiGdiCounter::live(), gdiAtStart) << "cycle " << i;
    }
    const SIZE_T memoryAfter = heapBytesInUse();
    ASSERT_GT(memoryBefore, 0u) << "the memory figure is not available";
    std::printf("heap bytes in use %lu before, %lu after %d cycles; %d live drawing objects\n",
                static_cast<unsigned long>(memoryBefore), static_cast<unsigned long>(memoryAfter), cycles,
                GuiGdiCounter::live());
    EXPECT_LT(memoryAfter, memoryBefore + allowedGrowth)
        << "heap bytes in use went from " << memoryBefore << " to " << memoryAfter;
    EXPECT_GT(audio.blocks(), 0);
    EXPECT_EQ(childWindowCount(h.hostWindow()), 0);
}

TEST(EditorLifetime, EffectClosedWithItsEditorOpenTearsDownCleanly) {
    const int gdiAtStart = GuiGdiCounter::live();
    {
        EditorHarness h;
        ASSERT_GT(GuiGdiCounter::live(), gdiAtStart);
        // The harness leaves the editor open; the effect goes first here.
    }
    EXPECT_EQ(GuiGdiCounter::live(), gdiAtStart);
}

} // namespace

} // namespace chorus::test
