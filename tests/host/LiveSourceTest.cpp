// Live playing with scheduled changes, pulled in device requests that match neither the block nor each
// other, against chorus-host's render of the same input, settings and changes: the samples must be the same.
#include "host/session/LiveSource.h"

#include "host/audio/AudioFile.h"
#include "host/audio/AudioOutput.h"
#include "host/audio/DemoSignal.h"
#include "host/cli/CommandLine.h"
#include "host/cli/CommandTable.h"
#include "host/cli/HostMessages.h"
#include "host/session/AutomationSchedule.h"
#include "host/session/HostedPlugin.h"
#include "host/session/ModuleLoader.h"
#include "host/session/ParameterCatalog.h"
#include "host/session/Session.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace chorus::host {
namespace {

const std::string module = CHORUS_MODULE_FILE;
const std::string inputPath = "host-live-in.wav";
const std::string outputPath = "host-live-out.wav";
const std::string automationPath = "host-live-automation.txt";
constexpr int rate = 22050;                        // Hz
constexpr int block = 256;                         // frames: render's --block, play's --buffer
constexpr int deviceRequests[] = {100, 333, 4096}; // frames the device asks for, in turn

struct Case {
    const char* name;
    double inputSeconds;
    int passes; // above 1 the input loops, and render gets it that many times over
    std::vector<std::string> settings;
    const char* automation; // the --automation file
};

class LiveSourceMatchesRender : public ::testing::Test {
protected:
    void TearDown() override {
        for (const std::string* path : {&inputPath, &outputPath, &automationPath}) {
            std::remove(path->c_str());
        }
    }

    // chorus-host render, in process.
    static AudioFile render(const AudioFile& input, const std::vector<std::string>& settings) {
        std::string error;
        EXPECT_TRUE(input.write(inputPath, error)) << error;
        std::vector<std::string> args = {
            "render", module, inputPath, outputPath, "--block", std::to_string(block), "--quiet"};
        args.insert(args.end(), settings.begin(), settings.end());
        HostOptions options;
        EXPECT_TRUE(CommandLine::parse(args, options, error)) << error;
        std::FILE* out = std::tmpfile();
        std::FILE* err = std::tmpfile();
        EXPECT_EQ(CommandTable::run(options, out, err), HostMessages::exitOk);
        std::fclose(out);
        std::fclose(err);
        AudioFile result;
        EXPECT_TRUE(result.read(outputPath, error)) << error;
        return result;
    }

    // The plug-in set up as play sets it up, then frames pulled from a LiveSource the way a device does.
    static AudioFile play(const AudioFile& input, bool loop, long long frames,
                          const std::vector<std::string>& settings) {
        std::vector<std::string> args = {"play", module, inputPath, "--buffer", std::to_string(block)};
        args.insert(args.end(), settings.begin(), settings.end());
        if (loop) {
            args.emplace_back("--loop");
        }
        HostOptions options;
        std::string error;
        EXPECT_TRUE(CommandLine::parse(args, options, error)) << error;
        // The set-up play makes.
        Session session;
        const int buffer = AudioOutput::blockFrames(options.bufferFrames);
        EXPECT_EQ(session.open(options,
                               LiveSource::sessionShape(input, buffer, options.loop, options.seconds), error),
                  Session::Result::ok)
            << error;
        HostedPlugin& plugin = session.plugin();
        plugin.dispatch(opPower, 0, 1);

        LiveSource source(plugin, input, buffer, options.loop, &session.schedule());
        AudioFile result;
        result.channels = LiveSource::channels;
        result.sampleRate = input.sampleRate;
        std::vector<float> request;
        for (std::size_t r = 0; result.frames() < frames; ++r) {
            const int asked = deviceRequests[r % std::size(deviceRequests)];
            request.assign(static_cast<std::size_t>(asked) * LiveSource::channels, 0.0f);
            source.render(request.data(), asked);
            result.samples.insert(result.samples.end(), request.begin(), request.end());
            // The request that hands out the input's last frame is the one that reports the end.
            EXPECT_EQ(source.finished(), !loop && result.frames() >= input.frames()) << "request " << r;
        }
        EXPECT_EQ(source.finished(), !loop);
        result.samples.resize(static_cast<std::size_t>(frames) * LiveSource::channels);
        plugin.dispatch(opPower, 0, 0);
        plugin.close();
        return result;
    }
};

TEST_F(LiveSourceMatchesRender, WhateverTheDeviceAsksForAndAcrossLoops) {
    const std::vector<Case> cases = {
        {"one pass: programs, steps and ramps, one past the end",
         1.5,
         1,
         {"--program", "2", "--param", "Mix=80", "--at", "12345", "Freq=0,83", "--at", "1.4s..1.6s",
          "Delay=1..4"},
         "0.3s program=wobble\n0.5s..1s Mix=20..100\n1.2s Shape=square\n"},
        // The last input frame goes out at the end of a request: that request, not the next, reports the end.
        {"ending where a request ends",
         (deviceRequests[0] + deviceRequests[1] + deviceRequests[2]) / double{rate},
         1,
         {},
         ""},
        // Times count from the start of playing: each change once, the later ones in later passes.
        {"looping: the schedule is not replayed",
         0.4,
         3,
         {"--at", "0.1s", "Mix=10", "--at", "0.6s", "program=light"},
         "0.5s..0.9s Freq=0.5..3\n1.1s Stages=3\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::ofstream(automationPath) << c.automation;
        std::vector<std::string> settings = c.settings;
        settings.insert(settings.end(), {"--automation", automationPath});
        const AudioFile input = DemoSignal::generate(rate, c.inputSeconds);
        AudioFile repeated = input;
        for (int pass = 1; pass < c.passes; ++pass) {
            repeated.samples.insert(repeated.samples.end(), input.samples.begin(), input.samples.end());
        }
        const AudioFile expected = render(repeated, settings);
        const AudioFile heard = play(input, c.passes > 1, repeated.frames(), settings);
        ASSERT_EQ(expected.channels, LiveSource::channels);
        ASSERT_EQ(expected.frames(), repeated.frames());
        long long wrong = 0;
        long long first = -1;
        for (std::size_t i = 0; i < expected.samples.size(); ++i) {
            if (heard.samples[i] != expected.samples[i]) {
                first = first < 0 ? static_cast<long long>(i) / LiveSource::channels : first;
                ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0) << "first at frame " << first;
    }
}

// --seconds' end is counted by the source in frames handed out, so the device's slicing cannot move it: the
// request that reaches it reports the end, and what is asked after it is silence that is not counted.
TEST(LiveSourceEnd, EndsOnItsFrameWhateverTheDeviceAsksFor) {
    const AudioFile input = DemoSignal::generate(rate, 0.4);
    for (const bool loop : {false, true}) {
        SCOPED_TRACE(loop ? "looping" : "once");
        const long long end = loop ? 30001 : 7777; // frames; inside the input, and across two loops
        HostOptions options;
        options.modulePath = module;
        Session session;
        std::string error;
        ASSERT_EQ(session.open(options, LiveSource::sessionShape(input, block, loop, std::nullopt), error),
                  Session::Result::ok)
            << error;
        session.plugin().dispatch(opPower, 0, 1);
        LiveSource source(session.plugin(), input, block, loop, &session.schedule());
        source.endAt(end);
        std::vector<float> request;
        long long asked = 0;
        for (std::size_t r = 0; asked < end + 5000; ++r) {
            const int frames = deviceRequests[r % std::size(deviceRequests)];
            request.assign(static_cast<std::size_t>(frames) * LiveSource::channels, 1.0f);
            source.render(request.data(), frames);
            const long long before = asked;
            asked += frames;
            EXPECT_EQ(source.finished(), asked >= end) << "request " << r;
            EXPECT_EQ(source.framesRendered(), std::min(asked, end)) << "request " << r;
            for (long long i = std::max(before, end); i < asked; ++i) {
                const auto at = static_cast<std::size_t>(i - before) * LiveSource::channels;
                ASSERT_EQ(request[at], 0.0f) << "frame " << i << " after the end";
                ASSERT_EQ(request[at + 1], 0.0f) << "frame " << i << " after the end";
            }
        }
        session.plugin().dispatch(opPower, 0, 0);
        session.plugin().close();
    }
}

} // namespace
} // namespace chorus::host
