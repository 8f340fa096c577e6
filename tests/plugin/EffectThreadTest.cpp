// The effect used from several host threads at once: audio processing, a thread setting parameters,
// changing programs and loading chunks, and the editor's window thread showing what changed. The test
// script runs it under ThreadSanitizer.
#include "TestHost.h"
#include "dsp/ChorusParameterSet.h"
#include "plugin/ChorusEffect.h"
#include "plugin/EditorInterface.h"
#include "plugin/ParamChangeMailbox.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <gtest/gtest.h>
#include <random>
#include <thread>
#include <vector>

using namespace chorus;

namespace {

constexpr int32_t frames = 64;
constexpr int32_t programBytes = 84;
constexpr int automationRequests = 20000;

// Handles changes the way the GUI editor does: its own thread's at once, other threads' on the next idle.
// Counts anything shown off its thread, which a GUI editor must never do.
class MailboxEditor final : public EditorInterface {
public:
    explicit MailboxEditor(ChorusEffect& effect)
        : parameters(*effect.parameterSet()), changes(parameters.getCount()) {
        effect.setEditor(this);
        changes.bindToCurrentThread();
        shown.fill(-1.0f);
    }

    void paramChanged(int32_t index, float value) override {
        if (changes.onBoundThread()) {
            show(index, value);
        } else {
            changes.post(index, value);
        }
    }
    void programLoaded() override {
        if (!changes.onBoundThread()) {
            changes.postProgramChange();
        }
    }
    void editorIdle() override {
        changes.take(parameters, [this](int32_t index, float value) { show(index, value); });
    }

    std::array<float, chorusParamCount> shown{};
    std::atomic<int> shownOffThread{0};

private:
    void show(int32_t index, float value) {
        if (!changes.onBoundThread()) {
            ++shownOffThread;
        }
        if (index >= 0 && index < chorusParamCount) {
            shown[static_cast<std::size_t>(index)] = value;
        }
    }

    ParameterSet& parameters;
    ParamChangeMailbox changes;
};

TEST(EffectThreads, ChangesFromOtherThreadsReachTheWindowThreadOnlyThroughIdleAndTheLastOneIsShown) {
    TestHost::reset();
    ChorusEffect effect(TestHost::callback);
    effect.initialise();
    auto* editor = new MailboxEditor(effect); // owned by the effect
    EffectDescriptor* d = effect.descriptor();
    d->dispatchEntry(d, opSampleRate, 0, 0, nullptr, 44100.0f);
    d->dispatchEntry(d, opPower, 0, 1, nullptr, 0.0f);
    void* saved = nullptr;
    const intptr_t bankSize = d->dispatchEntry(d, opSaveState, 0, 0, &saved, 0.0f);
    ASSERT_EQ(bankSize, 8 * programBytes);
    std::vector<std::uint8_t> bank(static_cast<std::uint8_t*>(saved),
                                   static_cast<std::uint8_t*>(saved) + bankSize);

    std::atomic<bool> automating{true};
    std::atomic<bool> processing{true};
    std::thread audio([&] {
        std::vector<float> in(2 * frames, 0.25f);
        std::vector<float> out(2 * frames);
        float* inputs[2] = {in.data(), in.data() + frames};
        float* outputs[2] = {out.data(), out.data() + frames};
        while (processing) {
            effect.processReplace(inputs, outputs, frames);
        }
    });
    std::thread automation([&] {
        std::mt19937 rng(5);
        std::uniform_real_distribution<float> unit(0.0f, 1.0f);
        for (int n = 0; n < automationRequests; ++n) {
            d->setParamEntry(d, static_cast<int32_t>(rng() % chorusParamCount), unit(rng));
            if (n % 64 == 0) {
                d->dispatchEntry(d, opSelectProgram, 0, static_cast<int32_t>(rng() % 8), nullptr, 0.0f);
            }
            if (n % 256 == 0) {
                const auto row = static_cast<std::size_t>(rng() % 8) * programBytes;
                d->dispatchEntry(d, opLoadState, 1, programBytes, bank.data() + row, 0.0f);
            }
            if (n % 1024 == 0) {
                d->dispatchEntry(d, opLoadState, 0, bankSize, bank.data(), 0.0f);
            }
        }
        automating = false;
    });
    // The window thread idles and makes edits of its own meanwhile.
    for (int n = 0; automating; ++n) {
        d->dispatchEntry(d, opEditorIdle, 0, 0, nullptr, 0.0f);
        if (n % 16 == 0) {
            d->setParamEntry(d, paramMix, static_cast<float>(n % 100) / 100.0f);
        }
    }
    automation.join();

    // The last changes, from another thread: Slow Step (the factory's, program changes stored random
    // values into the programs) with Mix at 80 %.
    std::thread([&] {
        d->dispatchEntry(d, opLoadState, 0, bankSize, bank.data(), 0.0f);
        d->dispatchEntry(d, opSelectProgram, 0, 2, nullptr, 0.0f);
        d->setParamEntry(d, paramMix, 0.8f);
    }).join();
    d->dispatchEntry(d, opEditorIdle, 0, 0, nullptr, 0.0f);
    processing = false;
    audio.join();

    EXPECT_EQ(editor->shownOffThread.load(), 0);
    const std::array<float, chorusParamCount> slowStep{0.8f, 0.1f, 1.0f, 1.0f / 3.0f, 1.0f};
    for (int i = 0; i < chorusParamCount; ++i) {
        EXPECT_NEAR(editor->shown[static_cast<std::size_t>(i)], slowStep[static_cast<std::size_t>(i)], 1e-6f)
            << "parameter " << i;
        EXPECT_NEAR(editor->shown[static_cast<std::size_t>(i)], effect.parameterSet()->getNormalizedValue(i),
                    1e-6f)
            << "parameter " << i;
    }
}

} // namespace
