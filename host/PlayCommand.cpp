#include "host/PlayCommand.h"

#include "host/AudioFile.h"
#include "host/AudioOutput.h"
#include "host/AutomationSchedule.h"
#include "host/ChangeLog.h"
#include "host/DemoSignal.h"
#include "host/HostCommands.h"
#include "host/HostedPlugin.h"
#include "host/LiveSource.h"
#include "host/ModuleLoader.h"
#include "host/PluginSetup.h"

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
constexpr int maxChannels = 2;
constexpr std::size_t logCapacity = 4096; // changes; emptied every poll interval
constexpr long long never = std::numeric_limits<long long>::max();

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

} // namespace

bool PlayCommand::readInput(const std::string& path, AudioFile& input, std::string& error) {
    if (path.empty()) {
        input = DemoSignal::generate(demoSampleRate, DemoSignal::defaultSeconds);
        return true;
    }
    if (!input.read(path, error)) {
        return false;
    }
    if (input.channels > maxChannels) {
        error = path + " has " + std::to_string(input.channels) + " channels; mono or stereo only";
        return false;
    }
    return true;
}

int PlayCommand::bufferFrames(const HostOptions& options) {
    return options.bufferFrames > 0 ? options.bufferFrames : AudioOutput::defaultBufferFrames;
}

bool PlayCommand::readAutomation(const HostOptions& options, const AudioFile& input, bool loop,
                                 AutomationSchedule& schedule, std::string& error) {
    if (!schedule.addOptions(options, error)) {
        return false;
    }
    long long end = loop ? never : input.frames();
    if (options.seconds) {
        end = std::min(end, std::llround(*options.seconds * input.sampleRate));
    }
    schedule.start(end);
    return true;
}

int PlayCommand::run(const HostOptions& options, std::FILE* out, std::FILE* err) {
    AudioFile input;
    std::string error;
    if (!readInput(options.playInput, input, error)) {
        return HostCommands::fail(err, error);
    }
    if (!AutomationSchedule::fileReadable(options, error)) {
        return HostCommands::fail(err, error);
    }
    const int buffer = bufferFrames(options);
    ModuleLoader loader;
    HostedPlugin plugin;
    plugin.setConnectedPins(input.channels, maxChannels);
    if (!PluginSetup::open(options, loader, plugin, out, error)) {
        return HostCommands::fail(err, error);
    }
    plugin.dispatch(opSampleRate, 0, 0, nullptr, static_cast<float>(input.sampleRate));
    plugin.dispatch(opBlockSize, 0, buffer);
    ParameterCatalog catalog;
    catalog.read(plugin);
    std::vector<std::string> warnings;
    if (!PluginSetup::apply(options, plugin, catalog, warnings, error)) {
        return HostCommands::usageError(err, error);
    }
    const std::vector<std::string> programs = PluginSetup::programNames(plugin);
    AutomationSchedule schedule(catalog, programs, input.sampleRate);
    if (!readAutomation(options, input, options.loop, schedule, error)) {
        return HostCommands::usageError(err, error);
    }
    warnings.insert(warnings.end(), schedule.warnings().begin(), schedule.warnings().end());
    for (const auto& warning : warnings) {
        HostCommands::warn(err, warning);
    }
    plugin.dispatch(opPower, 0, 1);

    ChangeLog sent(options.log ? logCapacity : 1);
    LiveSource source(plugin, input, buffer, options.loop, &schedule, options.log ? &sent : nullptr);
    AudioOutput output;
    if (!output.start(options.device, buffer, source, error)) {
        plugin.dispatch(opPower, 0, 0);
        return HostCommands::fail(err, error);
    }
    std::fprintf(out, "playing %s on %s at %d Hz, %d frames a block\n",
                 options.playInput.empty() ? "the demo signal" : options.playInput.c_str(),
                 output.deviceName().c_str(), input.sampleRate, buffer);
    std::fflush(out);

    interrupted.store(false);
    const auto previous = std::signal(SIGINT, onInterrupt);
    const auto start = std::chrono::steady_clock::now();
    const auto limit = std::chrono::duration<double>(options.seconds.value_or(0.0));
    for (;;) {
        std::this_thread::sleep_for(pollInterval);
        printSent(sent, catalog, programs, out);
        if (interrupted.load() || source.finished() || output.lost()) {
            break;
        }
        if (options.seconds && std::chrono::steady_clock::now() - start >= limit) {
            break;
        }
    }
    std::signal(SIGINT, previous);
    if (source.finished()) {
        output.drain();
    } else {
        output.stop();
    }
    plugin.dispatch(opPower, 0, 0);
    printSent(sent, catalog, programs, out);
    if (sent.dropped() > 0) {
        std::fprintf(out, "%lld changes sent but not logged (the log was full)\n", sent.dropped());
    }
    std::fprintf(out, "played %lld frames, %lld underruns, peak %.3f\n", source.framesRendered(),
                 output.underruns(), static_cast<double>(source.peakLevel()));
    plugin.close();
    if (output.lost()) {
        return HostCommands::fail(err, "the sound device went away while playing");
    }
    return HostCommands::exitOk;
}

} // namespace chorus::host
