#include "dsp/ChorusParameterSet.h"
#include "editor/ChorusXYPad.h"
#include "gui/controls/GuiButtonGroup.h"
#include "gui/controls/GuiFilmstripKnob.h"
#include "gui/controls/GuiNumberField.h"
#include "gui/controls/GuiVerticalSlider.h"
#include "gui/core/GuiFrame.h"
#include "gui/core/GuiGdiCounter.h"
#include "tests/editor/EditorHarness.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
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

// Parameters, programs and chunks at full speed from a thread of the host's other than the window thread,
// as automation playback or a remote control sends them.
class AutomationThread {
public:
    explicit AutomationThread(EditorHarness& harness) : h(harness) {
        void* data = nullptr;
        const intptr_t size = h.dispatch(opSaveState, 0, 0, &data);
        bank.assign(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size);
        thread = std::thread([this] { run(); });
    }
    ~AutomationThread() { stop(); }
    AutomationThread(const AutomationThread&) = delete;
    AutomationThread& operator=(const AutomationThread&) = delete;
    void stop() {
        running = false;
        if (thread.joinable()) {
            thread.join();
        }
    }
    long long requests() const { return done.load(); }

private:
    static constexpr std::int32_t programBytes = 84;

    void run() {
        std::mt19937 rng(9);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        for (long long n = 0; running; ++n) {
            h.setParameter(static_cast<int32_t>(rng() % chorusParamCount), unit(rng));
            if (n % 64 == 0) {
                h.dispatch(opSelectProgram, 0, static_cast<int32_t>(rng() % 8));
            }
            if (n % 256 == 0) {
                const std::int32_t row = static_cast<std::int32_t>(rng() % 8) * programBytes;
                h.dispatch(opLoadState, 1, programBytes, bank.data() + row);
            }
            if (n % 1024 == 0) {
                h.dispatch(opLoadState, 0, static_cast<int32_t>(bank.size()), bank.data());
            }
            ++done;
        }
    }

    EditorHarness& h;
    std::vector<std::uint8_t> bank;
    std::atomic<bool> running{true};
    std::atomic<long long> done{0};
    std::thread thread;
};

std::string textOf(const GuiNumberField* field) {
    return field != nullptr ? field->getText() : "(none)";
}

// What the editor shows of the factory programs Evil Shadow (7) and Slow Step (2, with Mix at 80 %).
struct Shown {
    std::string mix, freq, delay, stages;
    float mixSlider, freqKnob, delayKnob;
    int shape, padStages;
};
constexpr float mixAfterSlowStep = 0.8f;

Shown shownBy(ChorusEditor& editor) {
    return {textOf(editor.getMixField()),        textOf(editor.getFreqField()),
            textOf(editor.getDelayField()),      textOf(editor.getStagesField()),
            editor.getMixSlider()->getValue(),   editor.getFreqKnob()->getValue(),
            editor.getDelayKnob()->getValue(),   editor.getShapeButtons()->litMember(),
            editor.getWavePad()->getStageCount()};
}

void expectShown(const Shown& got, const Shown& want, const char* when) {
    EXPECT_EQ(got.mix, want.mix) << when;
    EXPECT_EQ(got.freq, want.freq) << when;
    EXPECT_EQ(got.delay, want.delay) << when;
    EXPECT_EQ(got.stages, want.stages) << when;
    EXPECT_NEAR(got.mixSlider, want.mixSlider, 1e-5f) << when;
    EXPECT_NEAR(got.freqKnob, want.freqKnob, 1e-5f) << when;
    EXPECT_NEAR(got.delayKnob, want.delayKnob, 1e-5f) << when;
    EXPECT_EQ(got.shape, want.shape) << when;
    EXPECT_EQ(got.padStages, want.padStages) << when;
}

// CHORUS_EDITOR_CYCLES raises the count for a longer soak than the test run needs.
int automationCycles() {
    const char* text = std::getenv("CHORUS_EDITOR_CYCLES");
    const int asked = text != nullptr ? std::atoi(text) : 0;
    return asked > 0 ? asked : 300;
}

TEST(EditorLifetime, ChangesFromAnotherThreadWaitForTheWindowThreadAndTheLastOneIsShown) {
    EditorHarness h;
    h.dispatch(opSampleRate, 0, 0, nullptr, 44100.0f);
    h.dispatch(opPower, 0, 1);
    void* data = nullptr;
    const intptr_t bankSize = h.dispatch(opSaveState, 0, 0, &data);
    std::vector<std::uint8_t> factoryBank(static_cast<std::uint8_t*>(data),
                                          static_cast<std::uint8_t*>(data) + bankSize);
    {
        AudioThread audio(h.effect());
        AutomationThread automation(h);
        const int openings = automationCycles();
        for (int i = 0; i < openings; ++i) {
            h.close();
            h.idle();
            ASSERT_TRUE(h.open()) << "cycle " << i;
            h.idle();
        }
        automation.stop();
        EXPECT_GT(automation.requests(), openings);
    }

    // Program changes stored random values into the programs: the factory's again, and the window
    // thread's own change shows at once.
    h.dispatch(opLoadState, 0, bankSize, factoryBank.data());
    h.dispatch(opSelectProgram, 0, 7);
    const Shown evilShadow{"90%", "5.00Hz", "0.50ms", "4", 0.9f, 1.0f, 0.1f, 1, 4};
    expectShown(shownBy(h.editor()), evilShadow, "set on the window thread");
    // Another thread's changes reach the controls only through the next idle.
    std::thread([&] {
        h.dispatch(opSelectProgram, 0, 2);
        h.setParameter(paramMix, mixAfterSlowStep);
    }).join();
    expectShown(shownBy(h.editor()), evilShadow, "before the idle");
    h.idle();
    expectShown(shownBy(h.editor()), {"80%", "0.50Hz", "5.00ms", "2", 0.8f, 0.1f, 1.0f, 2, 2},
                "after the idle");
}

// A host that made its window thread's OLE apartment itself and makes plug-in instances on a loader thread
// but destroys them on the window thread.
TEST(EditorLifetime, InstancesMadeOnALoaderThreadLeaveTheHostsOleAsItWas) {
    constexpr int instances = 40;
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    HostWindow host;
    for (const bool openEditor : {false, true}) {
        std::vector<std::unique_ptr<ChorusEffect>> made;
        std::thread([&] {
            for (int i = 0; i < instances; ++i) {
                auto effect = std::make_unique<ChorusEffect>(nullptr);
                effect->initialise();
                new ChorusEditor(effect.get(), effect->parameterSet()); // owned by the effect
                made.push_back(std::move(effect));
            }
        }).join();
        if (openEditor) {
            auto* editor = dynamic_cast<ChorusEditor*>(made.front()->getEditor());
            ASSERT_NE(editor, nullptr);
            ASSERT_EQ(made.front()->dispatch(opEditorOpen, 0, 0, host.get(), 0.0f), 1);
            pumpMessages();
            // Drag and drop still has its target.
            EXPECT_TRUE(editor->getFrame()->isDropEnabled());
            made.front()->dispatch(opEditorIdle, 0, 0, nullptr, 0.0f);
            made.front()->dispatch(opEditorClose, 0, 0, nullptr, 0.0f);
            // The last one is destroyed with its editor open.
            ASSERT_EQ(made.back()->dispatch(opEditorOpen, 0, 0, host.get(), 0.0f), 1);
            pumpMessages();
        }
        made.clear();
        const HRESULT again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        EXPECT_EQ(again, S_FALSE) << (openEditor ? "with" : "without") << " an editor opened";
        if (SUCCEEDED(again)) {
            CoUninitialize();
        }
    }
    OleUninitialize();
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
