// The live path as a device runs it: one thread pulls sound through the module while the window's thread
// selects programs, loads bank chunks and sets parameters. Built with ThreadSanitizer too (any race there
// fails the run); here the sound must stay finite and alive and the edits must land.
#include "host/audio/AudioFile.h"
#include "host/audio/DemoSignal.h"
#include "host/session/AutomationSchedule.h"
#include "host/session/ChangeLog.h"
#include "host/session/HostedPlugin.h"
#include "host/session/LiveSource.h"
#include "host/session/ModuleLoader.h"
#include "host/session/ParameterCatalog.h"
#include "host/session/Session.h"
#include "host/validate/ResourceCounter.h"

#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace chorus::host {
namespace {

constexpr int rate = 44100;
constexpr int block = 256;
constexpr int deviceBlocks = 400; // about 2.3 s of sound

// The module loaded, opened and told the block size; the sample rate is the caller's.
void openModule(ModuleLoader& loader, HostedPlugin& plugin) {
    std::string error;
    ASSERT_TRUE(loader.load(CHORUS_MODULE_FILE, error)) << error;
    ASSERT_TRUE(plugin.create(loader.entry(), error)) << error;
    plugin.dispatch(opOpen);
    plugin.dispatch(opBlockSize, 0, block);
}

TEST(LivePlayback, ProgramsAndChunksFromAnotherThreadReachTheAudioThread) {
    ModuleLoader loader;
    HostedPlugin plugin;
    ASSERT_NO_FATAL_FAILURE(openModule(loader, plugin));
    plugin.dispatch(opSampleRate, 0, 0, nullptr, static_cast<float>(rate));
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

// play's threads with a schedule: the device thread sends program and parameter changes, ramps included,
// at their frames while the main thread prints what was sent. The device thread allocates nothing, the
// module included.
TEST(LivePlayback, ScheduledChangesAllocateNothingAndReachTheLogInOrder) {
    ModuleLoader loader;
    HostedPlugin plugin;
    ASSERT_NO_FATAL_FAILURE(openModule(loader, plugin));
    std::string error;
    // The counter sees the module's allocations: the sample rate rebuilds its engine.
    ResourceCounter::countThisThread(true);
    plugin.dispatch(opSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    ResourceCounter::countThisThread(false);
    ASSERT_GT(ResourceCounter::threadAllocations(), 0);

    ParameterCatalog catalog;
    catalog.read(plugin);
    AutomationSchedule schedule(catalog, Session::readProgramNames(plugin), rate);
    for (const auto& [time, change] : {std::pair{"0.2s", "program=3"}, std::pair{"0.5s..1.5s", "Mix=0..100"},
                                       std::pair{"44100", "Shape=square"}, std::pair{"1.8s", "program=7"}}) {
        ASSERT_TRUE(schedule.add(time, change, "--at", error)) << error;
    }
    schedule.start(std::numeric_limits<long long>::max());
    plugin.dispatch(opPower, 0, 1);

    const AudioFile input = DemoSignal::generate(rate, 1.0);
    ChangeLog log(1024); // more than are sent: none may be lost however the threads are scheduled
    LiveSource source(plugin, input, block, true, &schedule, &log);
    constexpr int requests[] = {100, 333, 4096}; // frames; 120 of them play about 4 s
    constexpr int requestCount = 120;
    std::vector<float> buffer(4096 * LiveSource::channels);
    std::atomic<bool> playing{true};
    long long allocations = -1;
    std::thread device([&] {
        ResourceCounter::countThisThread(true);
        for (int r = 0; r < requestCount; ++r) {
            source.render(buffer.data(), requests[r % 3]);
        }
        allocations = ResourceCounter::threadAllocations();
        playing = false;
    });
    std::vector<ChangeLog::Entry> sent;
    for (bool more = true; more;) {
        more = playing.load();
        for (ChangeLog::Entry entry; log.pop(entry);) {
            sent.push_back(entry);
        }
        std::this_thread::yield();
    }
    device.join();
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(log.dropped(), 0);
    EXPECT_GT(source.framesRendered(), 2 * rate);

    // Steps on their frames, one ramp value a block from 0 to exactly 1, each once though the input looped.
    int programs = 0;
    int ramp = 0;
    float last = -1.0f;
    long long rampFrame = rate / 2;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const ChangeLog::Entry& e = sent[i];
        EXPECT_TRUE(i == 0 || e.frame >= sent[i - 1].frame);
        if (e.change.program) {
            EXPECT_EQ(e.frame, programs == 0 ? rate / 5 : rate * 9 / 5);
            EXPECT_EQ(e.change.index, programs == 0 ? 3 : 7);
            ++programs;
        } else if (e.change.index == 0) {
            EXPECT_GT(e.change.value, last);
            EXPECT_LE(e.frame, rate * 3 / 2);
            if (ramp == 0) {
                EXPECT_EQ(e.frame, rampFrame);
            } else {
                EXPECT_TRUE(e.frame > rampFrame && e.frame - rampFrame <= block) << e.frame;
            }
            last = e.change.value;
            rampFrame = e.frame;
            ++ramp;
        } else {
            EXPECT_EQ(e.frame, rate);
            EXPECT_EQ(e.change.index, 4);
        }
    }
    EXPECT_EQ(programs, 2);
    EXPECT_GT(ramp, rate / block);
    EXPECT_EQ(last, 1.0f);
    plugin.dispatch(opPower, 0, 0);
    plugin.close();
}

// A writer against a reader through a small ring, the writer trying again whenever the ring was full, so
// the two take turns on every slot: each entry arrives whole and in order. Under ThreadSanitizer a reader
// that takes an entry without acquiring the writer's count races with the writer filling it.
TEST(LivePlayback, AChangeLogHandsEveryEntryAcrossThreadsWhole) {
    ChangeLog log(4);
    constexpr long long pushes = 5000;
    std::thread writer([&] {
        for (long long frame = 0; frame < pushes; ++frame) {
            for (long long lost = log.dropped();; lost = log.dropped()) {
                log.push(frame, {false, static_cast<int>(frame % 7), static_cast<float>(frame)});
                if (log.dropped() == lost) {
                    break;
                }
                std::this_thread::yield();
            }
        }
    });
    long long wrong = 0;
    for (long long received = 0; received < pushes;) {
        ChangeLog::Entry entry;
        if (!log.pop(entry)) {
            std::this_thread::yield();
            continue;
        }
        wrong += entry.frame != received || entry.change.index != entry.frame % 7 ||
                 entry.change.value != static_cast<float>(entry.frame);
        ++received;
    }
    writer.join();
    EXPECT_EQ(wrong, 0);
}

// When the printing thread falls behind, the newest changes are left out and counted; none is overwritten.
TEST(LivePlayback, AFullChangeLogKeepsWhatItHasAndCountsTheRest) {
    ChangeLog log(2);
    for (long long frame = 1; frame <= 3; ++frame) {
        log.push(frame, {});
    }
    EXPECT_EQ(log.dropped(), 1);
    ChangeLog::Entry entry;
    for (long long frame = 1; frame <= 2; ++frame) {
        ASSERT_TRUE(log.pop(entry));
        EXPECT_EQ(entry.frame, frame);
    }
    EXPECT_FALSE(log.pop(entry));
    log.push(4, {});
    ASSERT_TRUE(log.pop(entry));
    EXPECT_EQ(entry.frame, 4);
}

} // namespace
} // namespace chorus::host
