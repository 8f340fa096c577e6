// The live path as a device runs it: one thread pulls sound through the module while the window's thread
// selects programs, loads bank chunks and sets parameters. Built with ThreadSanitizer too (any race there
// fails the run); here the sound must stay finite and alive and the edits must land.
#include "host/AudioFile.h"
#include "host/DemoSignal.h"
#include "host/HostedPlugin.h"
#include "host/LiveSource.h"
#include "host/ModuleLoader.h"

#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace chorus::host {
namespace {

constexpr int rate = 44100;
constexpr int block = 256;
constexpr int deviceBlocks = 400; // about 2.3 s of sound

TEST(LivePlayback, ProgramsAndChunksFromAnotherThreadReachTheAudioThread) {
    ModuleLoader loader;
    std::string error;
    ASSERT_TRUE(loader.load(CHORUS_MODULE_FILE, error)) << error;
    HostedPlugin plugin;
    ASSERT_TRUE(plugin.create(loader.entry(), error)) << error;
    plugin.dispatch(opOpen);
    plugin.dispatch(opSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    plugin.dispatch(opBlockSize, 0, block);
    plugin.dispatch(opPower, 0, 1);

    // A bank to load over and over: the one the plug-in hands out.
    void* data = nullptr;
    const intptr_t size = plugin.dispatch(opSaveState, 0, 0, &data);
    ASSERT_GT(size, 0);
    std::vector<unsigned char> bank(static_cast<const unsigned char*>(data),
                                    static_cast<const unsigned char*>(data) + size);

    const AudioFile input = DemoSignal::generate(rate, 1.0);
    LiveSource source(plugin, input, block, true);
    std::atomic<bool> playing{true};
    std::atomic<bool> broken{false};
    std::thread device([&] {
        std::vector<float> buffer(static_cast<std::size_t>(block) * LiveSource::channels);
        for (int b = 0; b < deviceBlocks; ++b) {
            source.render(buffer.data(), block);
            for (const float sample : buffer) {
                if (!std::isfinite(sample) || std::fabs(sample) > 4.0f) {
                    broken = true;
                }
            }
        }
        playing = false;
    });

    int rounds = 0;
    while (playing.load()) {
        plugin.dispatch(opSelectProgram, 0, rounds % 8);
        plugin.setParameter(rounds % 5, static_cast<float>(rounds % 10) / 10.0f);
        if (rounds % 4 == 0) {
            std::vector<unsigned char> copy = bank;
            plugin.dispatch(opLoadState, 0, static_cast<int32_t>(copy.size()), copy.data());
        }
        ++rounds;
        std::this_thread::yield();
    }
    device.join();
    EXPECT_FALSE(broken.load());
    EXPECT_GT(rounds, 10);
    EXPECT_GT(source.peakLevel(), 0.05f);
    EXPECT_EQ(source.framesRendered(), static_cast<long long>(deviceBlocks) * block);

    // The last edits reached the audio side: Freq set from here is what the plug-in now reports.
    plugin.setParameter(1, 0.25f);
    EXPECT_FLOAT_EQ(plugin.getParameter(1), 0.25f);
    plugin.dispatch(opPower, 0, 0);
    plugin.close();
}

} // namespace
} // namespace chorus::host
