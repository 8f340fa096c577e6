#include "host/CommandLine.h"

#include <charconv>
#include <cmath>
#include <map>
#include <set>

namespace chorus::host {

namespace {

constexpr int maxBlockSize = 1 << 20;  // frames
constexpr int maxSampleRate = 1000000; // Hz
constexpr double maxSeconds = 3600.0;

// The options with a value each command accepts; --log takes none and every command accepts it.
const std::set<std::string> fileOptions = {"--program", "--param",   "--rate",      "--block",
                                           "--mode",    "--seconds", "--tolerance", "--channels"};
const std::set<std::string> editorOptions = {"--program", "--param", "--screenshot", "--seconds"};

struct CommandShape {
    std::size_t argumentCount;
    const std::set<std::string>* valueOptions;
};

const std::map<std::string, CommandShape> fileCommands = {{"info", {1, &fileOptions}},
                                                          {"render", {3, &fileOptions}},
                                                          {"generate", {1, &fileOptions}},
                                                          {"compare", {2, &fileOptions}}};
const CommandShape editorCommand = {1, &editorOptions};

} // namespace

bool CommandLine::parseWhole(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool CommandLine::parseNumber(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

std::string CommandLine::usage(bool withEditor) {
    std::string text =
        "usage:\n"
        "  chorus-host info PLUGIN [--log]\n"
        "  chorus-host render PLUGIN IN.wav OUT.wav [--program N|NAME] [--param NAME=VALUE]...\n"
        "                     [--rate HZ] [--block N] [--mode replace|add] [--log]\n"
        "  chorus-host generate OUT.wav [--seconds S] [--rate HZ] [--channels 1|2]\n"
        "  chorus-host compare A.wav B.wav [--tolerance T]\n"
        "  chorus-host validate PLUGIN [--level 1..10] [--seed N] [--minutes M] [--only NAME]\n"
        "                       [--watchdog S]\n";
    if (withEditor) {
        text += "  chorus-host editor PLUGIN [--program N|NAME] [--param NAME=VALUE]... [--screenshot FILE]\n"
                "                     [--seconds S] [--log]\n";
    }
    return text;
}

bool CommandLine::parse(const std::vector<std::string>& args, HostOptions& options, std::string& error,
                        bool withEditor) {
    if (args.empty()) {
        error = "no command given";
        return false;
    }
    options.command = args[0];
    const CommandShape* shape = nullptr;
    if (withEditor && options.command == "editor") {
        shape = &editorCommand;
    } else if (const auto known = fileCommands.find(options.command); known != fileCommands.end()) {
        shape = &known->second;
    } else {
        error = "unknown command: " + options.command;
        return false;
    }
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            options.arguments.push_back(arg);
            continue;
        }
        if (arg == "--log") {
            options.log = true;
            continue;
        }
        if (shape->valueOptions->count(arg) == 0) {
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
            const size_t equals = value.find('=');
            if (equals == std::string::npos || equals == 0 || equals + 1 == value.size()) {
                error = "--param wants NAME=VALUE, got: " + value;
                return false;
            }
            options.params.emplace_back(value.substr(0, equals), value.substr(equals + 1));
        } else if (arg == "--rate") {
            if (!parseWhole(value, options.sampleRate) || options.sampleRate < 1 ||
                options.sampleRate > maxSampleRate) {
                error = "--rate wants a whole number of Hz from 1 to 1000000, got: " + value;
                return false;
            }
        } else if (arg == "--block") {
            if (!parseWhole(value, options.blockSize) || options.blockSize < 1 ||
                options.blockSize > maxBlockSize) {
                error = "--block wants a number of frames from 1 to 1048576, got: " + value;
                return false;
            }
        } else if (arg == "--mode") {
            if (value != "replace" && value != "add") {
                error = "--mode is replace or add, got: " + value;
                return false;
            }
            options.replacing = value == "replace";
        } else if (arg == "--channels") {
            if (value != "1" && value != "2") {
                error = "--channels is 1 or 2, got: " + value;
                return false;
            }
            options.channels = value == "1" ? 1 : 2;
        } else if (arg == "--seconds") {
            double seconds = 0.0;
            if (!parseNumber(value, seconds) || seconds <= 0.0 || seconds > maxSeconds) {
                error = "--seconds wants a duration above 0 and at most 3600, got: " + value;
                return false;
            }
            options.seconds = seconds;
        } else if (arg == "--tolerance") {
            if (!parseNumber(value, options.tolerance) || options.tolerance < 0.0) {
                error = "--tolerance wants a number of at least 0, got: " + value;
                return false;
            }
        } else {
            if (value.empty()) {
                error = "--screenshot needs a file name";
                return false;
            }
            options.screenshot = value;
        }
    }
    if (options.arguments.size() != shape->argumentCount) {
        error = options.command + " takes " + std::to_string(shape->argumentCount) + " argument" +
                (shape->argumentCount == 1 ? "" : "s") + ", got " + std::to_string(options.arguments.size());
        return false;
    }
    return true;
}

} // namespace chorus::host
