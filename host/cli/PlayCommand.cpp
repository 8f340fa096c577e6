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
constexpr auto positionInterval = std::chrono::milliseconds(250);

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) {
    interrupted.store(true);
}

// The position line on standard error, redrawn in place; nothing when quiet.
class PositionLine {
public:
    PositionLine(std::FILE* to, int sampleRate, long long inputFrames, bool loop)
        : stream(to), rate(std::max(sampleRate, 1)), length(inputFrames), looping(loop) {}

    void show(long long frames) {
        if (stream == nullptr) {
            return;
        }
        // A pass just ended shows as its end, not as the next one's start.
        const long long pass = looping && length > 0 ? (std::max(frames, 1LL) - 1) / length + 1 : 1;
        const long long at = looping && length > 0 ? frames - (pass - 1) * length : frames;
        std::fprintf(stream, "\r%s / %s", clock(at).c_str(), clock(length).c_str());
        if (looping) {
            std::fprintf(stream, ", pass %lld", pass);
        }
        std::fprintf(stream, "  ");
        std::fflush(stream);
        shown = true;
    }
    // What follows (a log line, the summary, the shell's prompt) starts on a line of its own.
    void end() {
        if (shown) {
            std::fprintf(stream, "\n");
            std::fflush(stream);
            shown = false;
        }
    }

private:
    std::string clock(long long frames) const {
        const long long tenths = (frames * 10 + rate / 2) / rate;
        char text[32];
        std::snprintf(text, sizeof text, "%lld:%02lld.%lld", tenths / 600, tenths / 10 % 60, tenths % 10);
        return text;
    }

    std::FILE* stream;
    long long rate;
    long long length;
    bool looping;
    bool shown = false;
};

// The lines render's log prints for the same changes, without the plug-in's display of the value: that
// would mean asking the plug-in on the audio thread, and from here it may already show a later one.
void printSent(ChangeLog& log, const ParameterCatalog& catalog, const std::vector<std::string>& programs,
               std::FILE* out, PositionLine& position) {
    ChangeLog::Entry entry;
    while (log.pop(entry)) {
        position.end();
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

// Until the sound has all been handed to the device (the input's, or --seconds' worth counted by the
// source), the user interrupts or the device goes away; poll runs every poll interval.
template <class Poll>
void waitForEnd(const LiveSource& source, const AudioOutput& output, PositionLine& position, Poll&& poll) {
    auto shown = std::chrono::steady_clock::now();
    position.show(source.framesRendered());
    for (;;) {
        std::this_thread::sleep_for(pollInterval);
        poll();
        if (interrupted.load() || source.finished() || output.lost()) {
            break;
        }
        if (const auto now = std::chrono::steady_clock::now(); now - shown >= positionInterval) {
            shown = now;
            position.show(source.framesRendered());
        }
    }
}

int listDevices(std::FILE* out, std::FILE* err) {
    std::vector<AudioOutput::Device> devices;
    std::string error;
    if (!AudioOutput::listDevices(devices, error)) {
        return HostMessages::fail(err, error);
    }
    for (const AudioOutput::Device& device : devices) {
        std::fprintf(out, "%s %s\n", device.isDefault ? "*" : " ", device.name.c_str());
    }
    if (devices.empty()) {
        std::fprintf(out, "no output devices\n");
    }
    return HostMessages::exitOk;
}

} // namespace

int commands::play(const HostOptions& options, std::FILE* out, std::FILE* err) {
    if (options.listDevices) {
        return listDevices(out, err);
    }
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
    source.endAt(shape.endFrame);
    AudioOutput output;
    if (!output.start(options.device, buffer, source, error)) {
        plugin.dispatch(opPower, 0, 0);
        return HostMessages::fail(err, error);
    }
    std::fprintf(out, "playing %s on %s at %d Hz, %d frames a block\n",
                 options.playInput.empty() ? "the demo signal" : options.playInput.c_str(),
                 output.deviceName().c_str(), input.sampleRate, buffer);
    std::fflush(out);
    PositionLine position(options.quiet ? nullptr : err, input.sampleRate, input.frames(), options.loop);
    interrupted.store(false);
    // Ctrl-C stops the sound, not the process: what is queued still plays and the summary is printed.
    const auto previous = std::signal(SIGINT, onInterrupt);
    const auto printLog = [&] { printSent(sent, session.catalog(), session.programs(), out, position); };
    waitForEnd(source, output, position, printLog);
    // A device gone holds nothing to play out.
    if (output.lost()) {
        output.stop();
    } else {
        output.drain();
    }
    std::signal(SIGINT, previous);
    position.show(source.framesRendered());
    position.end();
    plugin.dispatch(opPower, 0, 0);
    printLog();
    if (sent.dropped() > 0) {
        std::fprintf(out, "%lld changes sent but not logged (the log was full)\n", sent.dropped());
    }
    std::fprintf(out, "played %lld frames, %lld underruns, peak %.3f\n", source.framesRendered(),
                 output.underruns(), static_cast<double>(source.peakLevel()));
    plugin.close();
    if (output.lost()) {
        return HostMessages::fail(err, "the sound device went away while playing");
    }
    return interrupted.load() ? HostMessages::exitInterrupted : HostMessages::exitOk;
}

} // namespace chorus::host
