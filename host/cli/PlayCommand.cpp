#include "host/audio/AudioFile.h"
#include "host/audio/AudioOutput.h"
#include "host/cli/Commands.h"
#include "host/cli/HostMessages.h"
#include "host/session/AutomationSchedule.h"
#include "host/session/ChangeLog.h"
#include "host/session/HostedPlugin.h"
#include "host/session/LiveSource.h"
#include "host/session/Session.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <limits>
#include <thread>
#include <vector>

namespace chorus::host {

namespace {

constexpr auto pollInterval = std::chrono::milliseconds(10);
constexpr std::size_t logCapacity = 4096; // changes; emptied every poll interval

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) {
    interrupted.store(true);
}

// The lines render's log prints for the same changes, without the plug-in's display of the value: that
// would mean asking the plug-in on the audio thread, and from here it may already show a later one.
void printSent(ChangeLog& log, const ParameterCatalog& catalog, const std::vector<std::string>& programs,
               std::FILE* out) {
    ChangeLog::Entry entry;
    while (log.pop(entry)) {
        const auto index = static_cast<std::size_t>(entry.change.index);
        if (entry.change.program) {
            std::fprintf(out, "at %lld selectProgram %d %s\n", entry.frame, entry.change.index,
                         programs[index].c_str());
        } else {
            std::fprintf(out, "at %lld setParameter %d %s %g\n", entry.frame, entry.change.index,
                         catalog.parameters()[index].name.c_str(), static_cast<double>(entry.change.value));
        }
    }
    std::fflush(out);
}

// Until the input has played, the user interrupts, the device goes away or --seconds have passed; poll
// runs every poll interval.
template <class Poll>
void waitForEnd(const HostOptions& options, const LiveSource& source, const AudioOutput& output,
                Poll&& poll) {
    interrupted.store(false);
    const auto previous = std::signal(SIGINT, onInterrupt);
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::chrono::duration<double>(options.seconds.value_or(0.0));
    for (;;) {
        std::this_thread::sleep_for(pollInterval);
        poll();
        if (interrupted.load() || source.finished() || output.lost()) {
            break;
        }
        if (options.seconds && std::chrono::steady_clock::now() - start >= limit) {
            break;
        }
    }
    std::signal(SIGINT, previous);
}

} // namespace

int commands::play(const HostOptions& options, std::FILE* out, std::FILE* err) {
    AudioFile input;
    std::string error;
    if (!LiveSource::readInput(options.playInput, input, error) || !Session::checkFiles(options, {}, error)) {
        return HostMessages::fail(err, error);
    }
    const int buffer = AudioOutput::blockFrames(options.bufferFrames);
    Session session;
    Session::Shape shape = LiveSource::sessionShape(input, buffer, options.loop, options.seconds);
    shape.log = out;
    if (const Session::Result result = session.open(options, shape, error); result != Session::Result::ok) {
        return HostMessages::sessionError(err, result, error);
    }
    HostMessages::warn(err, session.warnings());
    HostedPlugin& plugin = session.plugin();
    plugin.dispatch(opPower, 0, 1);

    ChangeLog sent(options.log ? logCapacity : 1);
    LiveSource source(plugin, input, buffer, options.loop, &session.schedule(),
                      options.log ? &sent : nullptr);
    AudioOutput output;
    if (!output.start(options.device, buffer, source, error)) {
        plugin.dispatch(opPower, 0, 0);
        return HostMessages::fail(err, error);
    }
    std::fprintf(out, "playing %s on %s at %d Hz, %d frames a block\n",
                 options.playInput.empty() ? "the demo signal" : options.playInput.c_str(),
                 output.deviceName().c_str(), input.sampleRate, buffer);
    std::fflush(out);
    waitForEnd(options, source, output, [&] { printSent(sent, session.catalog(), session.programs(), out); });
    if (source.finished()) {
        output.drain();
    } else {
        output.stop();
    }
    plugin.dispatch(opPower, 0, 0);
    printSent(sent, session.catalog(), session.programs(), out);
    if (sent.dropped() > 0) {
        std::fprintf(out, "%lld changes sent but not logged (the log was full)\n", sent.dropped());
    }
    std::fprintf(out, "played %lld frames, %lld underruns, peak %.3f\n", source.framesRendered(),
                 output.underruns(), static_cast<double>(source.peakLevel()));
    plugin.close();
    if (output.lost()) {
        return HostMessages::fail(err, "the sound device went away while playing");
    }
    return HostMessages::exitOk;
}

} // namespace chorus::host
