#include "host/PlayCommand.h"

#include "host/AudioFile.h"
#include "host/AudioOutput.h"
#include "host/DemoSignal.h"
#include "host/HostCommands.h"
#include "host/HostedPlugin.h"
#include "host/LiveSource.h"
#include "host/ModuleLoader.h"
#include "host/PluginSetup.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>

namespace chorus::host {

namespace {

constexpr auto pollInterval = std::chrono::milliseconds(10);
constexpr int maxChannels = 2;

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) {
    interrupted.store(true);
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

int PlayCommand::run(const HostOptions& options, std::FILE* out, std::FILE* err) {
    AudioFile input;
    std::string error;
    if (!readInput(options.playInput, input, error)) {
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
    if (!PluginSetup::apply(options, plugin, error)) {
        return HostCommands::fail(err, error);
    }
    plugin.dispatch(opPower, 0, 1);

    LiveSource source(plugin, input, buffer, options.loop);
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
    std::fprintf(out, "played %lld frames, %lld underruns, peak %.3f\n", source.framesRendered(),
                 output.underruns(), static_cast<double>(source.peakLevel()));
    plugin.close();
    if (output.lost()) {
        return HostCommands::fail(err, "the sound device went away while playing");
    }
    return HostCommands::exitOk;
}

} // namespace chorus::host
