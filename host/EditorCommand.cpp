#include "host/EditorCommand.h"

#include "host/BackgroundAudio.h"
#include "host/EditorWindow.h"
#include "host/HostedPlugin.h"
#include "host/ModuleLoader.h"
#include "host/PngWriter.h"

#include <charconv>
#include <cmath>

namespace chorus::host {

namespace {

constexpr int exitOk = 0;
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;
constexpr double maxSeconds = 3600.0;

bool parseNumber(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

bool parseWhole(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

int fail(std::FILE* err, const std::string& message) {
    std::fprintf(err, "chorus-host: %s\n", message.c_str());
    return exitFailure;
}

std::string fileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Program, then parameters, as the render command applies them.
bool applySettings(const EditorCommand::Options& options, HostedPlugin& plugin, std::string& error) {
    if (!options.program.empty()) {
        int number = -1;
        if (!parseWhole(options.program, number)) {
            number = plugin.findProgram(options.program);
        }
        if (number < 0 || number >= plugin.descriptor()->programCount) {
            error = "no program " + options.program;
            return false;
        }
        plugin.dispatch(opSelectProgram, 0, number);
    }
    for (const auto& [name, value] : options.params) {
        const int32_t index = plugin.findParameter(name);
        if (index < 0) {
            error = "no parameter named " + name;
            return false;
        }
        plugin.setParameterFromText(index, value);
    }
    return true;
}

void printParameters(HostedPlugin& plugin, std::FILE* out) {
    for (int32_t i = 0; i < plugin.descriptor()->paramCount; ++i) {
        std::fprintf(out, "param %d %s %.6f %s%s\n", static_cast<int>(i), plugin.paramName(i).c_str(),
                     static_cast<double>(plugin.getParameter(i)), plugin.paramDisplay(i).c_str(),
                     plugin.paramUnit(i).c_str());
    }
}

} // namespace

std::string EditorCommand::usage() {
    return "  chorus-host editor PLUGIN [--program N|NAME] [--param NAME=VALUE]... [--screenshot FILE]\n"
           "                     [--seconds S] [--log]\n";
}

bool EditorCommand::parse(const std::vector<std::string>& args, Options& options, std::string& error) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--log") {
            options.log = true;
            continue;
        }
        if (arg != "--program" && arg != "--param" && arg != "--screenshot" && arg != "--seconds") {
            error = "unknown option: " + arg;
            return false;
        }
        if (i + 1 >= args.size()) {
            error = "option " + arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        if (arg == "--program") {
            if (value.empty()) {
                error = "--program needs a number or a name";
                return false;
            }
            options.program = value;
        } else if (arg == "--param") {
            const std::size_t equals = value.find('=');
            if (equals == std::string::npos || equals == 0 || equals + 1 == value.size()) {
                error = "--param wants NAME=VALUE, got: " + value;
                return false;
            }
            options.params.emplace_back(value.substr(0, equals), value.substr(equals + 1));
        } else if (arg == "--screenshot") {
            if (value.empty()) {
                error = "--screenshot needs a file name";
                return false;
            }
            options.screenshot = value;
        } else if (!parseNumber(value, options.seconds) || options.seconds <= 0.0 ||
                   options.seconds > maxSeconds) {
            error = "--seconds wants a duration above 0 and at most 3600, got: " + value;
            return false;
        }
    }
    if (positional.size() != 1) {
        error = "editor takes 1 argument, got " + std::to_string(positional.size());
        return false;
    }
    options.plugin = positional[0];
    return true;
}

int EditorCommand::run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    Options options;
    std::string error;
    if (!parse(args, options, error)) {
        std::fprintf(err, "chorus-host: %s\nusage:\n%s", error.c_str(), usage().c_str());
        return exitUsage;
    }
    return run(options, out, err);
}

int EditorCommand::run(const Options& options, std::FILE* out, std::FILE* err) {
    ModuleLoader loader;
    std::string error;
    if (!loader.load(options.plugin, error)) {
        return fail(err, error);
    }
    HostedPlugin plugin;
    plugin.setLog(options.log ? out : nullptr);
    if (!plugin.create(loader.entry(), error)) {
        return fail(err, error);
    }
    plugin.dispatch(opOpen);
    plugin.dispatch(opSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    plugin.dispatch(opBlockSize, 0, blockSize);
    if (!applySettings(options, plugin, error)) {
        return fail(err, error);
    }
    plugin.dispatch(opPower, 0, 1);

    int status = exitOk;
    {
        BackgroundAudio audio(plugin, sampleRate, blockSize);
        audio.start();
        EditorWindow window(plugin);
        if (!window.open("chorus-host: " + fileName(options.plugin), error)) {
            audio.stop();
            return fail(err, error);
        }
        window.settle();
        int x = 0;
        int y = 0;
        window.screenOrigin(x, y);
        std::fprintf(out, "editor %d x %d at %d %d\n", window.editorWidth(), window.editorHeight(), x, y);
        std::fflush(out);
        if (options.seconds > 0.0 || options.screenshot.empty()) {
            window.run(options.seconds);
        }
        if (!options.screenshot.empty()) {
            window.settle();
            std::vector<std::uint8_t> rgb;
            int width = 0;
            int height = 0;
            if (!window.capture(rgb, width, height)) {
                status = fail(err, "cannot read the editor's pixels");
            } else if (!PngWriter::write(options.screenshot, width, height, rgb.data(), error)) {
                status = fail(err, error);
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
