#include "host/EditorCommand.h"

#include "host/AudioFile.h"
#include "host/AudioOutput.h"
#include "host/AutomationSchedule.h"
#include "host/BackgroundAudio.h"
#include "host/EditorWindow.h"
#include "host/HostCommands.h"
#include "host/HostedPlugin.h"
#include "host/LiveSource.h"
#include "host/ModuleLoader.h"
#include "host/PlayCommand.h"
#include "host/PluginSetup.h"
#include "host/PngWriter.h"
#include "host/PresetFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace chorus::host {

namespace {

// EditorWindow::run's "until the window is closed".
constexpr double untilClosed = -1.0;

std::string fileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void printParameters(HostedPlugin& plugin, std::FILE* out) {
    for (int32_t i = 0; i < plugin.descriptor()->paramCount; ++i) {
        std::fprintf(out, "param %d %s %.6f %s%s\n", static_cast<int>(i), plugin.paramName(i).c_str(),
                     static_cast<double>(plugin.getParameter(i)), plugin.paramDisplay(i).c_str(),
                     plugin.paramUnit(i).c_str());
    }
}

} // namespace

int EditorCommand::run(const HostOptions& options, std::FILE* out, std::FILE* err) {
    AudioFile input;
    std::string error;
    if (options.play && !PlayCommand::readInput(options.playInput, input, error)) {
        return HostCommands::fail(err, error);
    }
    if (!AutomationSchedule::fileReadable(options, error) ||
        !PluginSetup::checkWritable(options, {}, error)) {
        return HostCommands::fail(err, error);
    }
    const int rate = options.play ? input.sampleRate : sampleRate;
    const int block = options.play ? PlayCommand::bufferFrames(options) : blockSize;
    ModuleLoader loader;
    HostedPlugin plugin;
    if (options.play) {
        plugin.setConnectedPins(input.channels, LiveSource::channels);
    }
    if (!PluginSetup::open(options, loader, plugin, out, error)) {
        return HostCommands::fail(err, error);
    }
    plugin.dispatch(opSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    plugin.dispatch(opBlockSize, 0, block);
    ParameterCatalog catalog;
    catalog.read(plugin);
    std::vector<std::string> warnings;
    if (!PluginSetup::apply(options, plugin, catalog, warnings, error)) {
        return HostCommands::usageError(err, error);
    }
    // Changes are scheduled only with --play (the command line refuses them otherwise).
    AutomationSchedule schedule(
        catalog, options.play ? PluginSetup::programNames(plugin) : std::vector<std::string>{}, rate);
    if (!PlayCommand::readAutomation(options, input, true, schedule, error)) {
        return HostCommands::usageError(err, error);
    }
    // The window's thread selects programs (PageUp/PageDown) and reads the selected one for the title; the
    // plug-in takes program changes from one thread at a time, so the audio thread sends none.
    if (schedule.changesPrograms()) {
        return HostCommands::usageError(err, "editor --play automates parameters only: programs are picked "
                                             "in the window");
    }
    warnings.insert(warnings.end(), schedule.warnings().begin(), schedule.warnings().end());
    for (const auto& warning : warnings) {
        HostCommands::warn(err, warning);
    }
    plugin.dispatch(opKnobMode, 0, options.knobMode);
    plugin.dispatch(opPower, 0, 1);

    int status = HostCommands::exitOk;
    {
        // Without --play the demo still runs through the plug-in at the pace of real time, unheard.
        std::unique_ptr<BackgroundAudio> silent;
        std::unique_ptr<LiveSource> source;
        AudioOutput output;
        if (options.play) {
            source = std::make_unique<LiveSource>(plugin, input, block, true, &schedule);
            if (!output.start(options.device, block, *source, error)) {
                plugin.dispatch(opPower, 0, 0);
                return HostCommands::fail(err, error);
            }
            std::fprintf(out, "playing %s on %s at %d Hz, %d frames a block\n",
                         options.playInput.empty() ? "the demo signal" : options.playInput.c_str(),
                         output.deviceName().c_str(), rate, block);
        } else {
            silent = std::make_unique<BackgroundAudio>(plugin, sampleRate, blockSize);
            silent->start();
        }
        EditorWindow window(plugin);
        if (!window.open("chorus-host: " + fileName(options.arguments[0]), error)) {
            return HostCommands::fail(err, error);
        }
        window.settle();
        int x = 0;
        int y = 0;
        window.screenOrigin(x, y);
        std::fprintf(out, "editor %d x %d at %d %d\n", window.editorWidth(), window.editorHeight(), x, y);
        std::fflush(out);
        if (options.seconds || options.screenshot.empty()) {
            window.run(options.seconds.value_or(untilClosed));
        }
        if (!options.screenshot.empty()) {
            window.settle();
            std::vector<std::uint8_t> rgb;
            int width = 0;
            int height = 0;
            if (!window.capture(rgb, width, height)) {
                status = HostCommands::fail(err, "cannot read the editor's pixels");
            } else if (!PngWriter::write(options.screenshot, width, height, rgb.data(), error)) {
                status = HostCommands::fail(err, error);
            } else {
                std::fprintf(out, "screenshot %d x %d written to %s\n", width, height,
                             options.screenshot.c_str());
            }
        }
        if (options.log) {
            std::fprintf(out, "title %s\n", window.title().c_str());
        }
        window.close();
        if (!options.saveBank.empty()) {
            if (PluginSetup::savePreset(options.saveBank, PresetKind::bank, plugin, error)) {
                std::fprintf(out, "bank saved to %s\n", options.saveBank.c_str());
            } else {
                status = HostCommands::fail(err, error);
            }
        }
        output.stop();
        if (silent != nullptr) {
            silent->stop();
            if (options.log) {
                std::fprintf(out, "audio blocks %lld peak %.3f\n", silent->blocksProcessed(),
                             static_cast<double>(silent->peakLevel()));
            }
        } else if (source != nullptr) {
            std::fprintf(out, "played %lld frames, %lld underruns, peak %.3f\n", source->framesRendered(),
                         output.underruns(), static_cast<double>(source->peakLevel()));
            if (output.lost()) {
                status = HostCommands::fail(err, "the sound device went away while playing");
            }
        }
    }
    plugin.dispatch(opPower, 0, 0);
    if (options.log) {
        printParameters(plugin, out);
    }
    plugin.close();
    return status;
}

} // namespace chorus::host
