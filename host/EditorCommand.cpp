#include "host/EditorCommand.h"

#include "host/BackgroundAudio.h"
#include "host/EditorWindow.h"
#include "host/HostCommands.h"
#include "host/HostedPlugin.h"
#include "host/ModuleLoader.h"
#include "host/PluginSetup.h"
#include "host/PngWriter.h"

#include <cstdint>
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
    ModuleLoader loader;
    HostedPlugin plugin;
    std::string error;
    if (!PluginSetup::open(options, loader, plugin, out, error)) {
        return HostCommands::fail(err, error);
    }
    plugin.dispatch(opSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    plugin.dispatch(opBlockSize, 0, blockSize);
    if (!PluginSetup::apply(options, plugin, error)) {
        return HostCommands::fail(err, error);
    }
    plugin.dispatch(opPower, 0, 1);

    int status = HostCommands::exitOk;
    {
        BackgroundAudio audio(plugin, sampleRate, blockSize);
        audio.start();
        EditorWindow window(plugin);
        if (!window.open("chorus-host: " + fileName(options.arguments[0]), error)) {
            audio.stop();
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
        window.close();
        audio.stop();
        if (options.log) {
            std::fprintf(out, "audio blocks %lld peak %.3f\n", audio.blocksProcessed(),
                         static_cast<double>(audio.peakLevel()));
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
