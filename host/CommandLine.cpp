#include "host/CommandLine.h"

#include <charconv>
#include <cmath>
#include <map>

namespace chorus::host {

namespace {

constexpr int maxBlockSize = 1 << 20;  // frames
constexpr int maxSampleRate = 1000000; // Hz
constexpr double maxSeconds = 3600.0;

const std::map<std::string, size_t> argumentCounts = {
    {"info", 1}, {"render", 3}, {"generate", 1}, {"compare", 2}};

bool parseInt(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool parseDouble(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

} // namespace

std::string CommandLine::usage() {
    return "usage:\n"
           "  chorus-host info PLUGIN [--log]\n"
           "  chorus-host render PLUGIN IN.wav OUT.wav [--program N|NAME] [--param NAME=VALUE]...\n"
           "                     [--rate HZ] [--block N] [--mode replace|add] [--log]\n"
           "  chorus-host generate OUT.wav [--seconds S] [--rate HZ] [--channels 1|2]\n"
           "  chorus-host compare A.wav B.wav [--tolerance T]\n";
}

bool CommandLine::parse(const std::vector<std::string>& args, HostOptions& options, std::string& error) {
    if (args.empty()) {
        error = "no command given";
        return false;
    }
    options.command = args[0];
    const auto expected = argumentCounts.find(options.command);
    if (expected == argumentCounts.end()) {
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
        const bool takesValue = arg == "--program" || arg == "--param" || arg == "--rate" ||
                                arg == "--block" || arg == "--mode" || arg == "--seconds" ||
                                arg == "--tolerance" || arg == "--channels";
        if (!takesValue) {
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
            if (!parseInt(value, options.sampleRate) || options.sampleRate < 1 ||
                options.sampleRate > maxSampleRate) {
                error = "--rate wants a whole number of Hz from 1 to 1000000, got: " + value;
                return false;
            }
        } else if (arg == "--block") {
            if (!parseInt(value, options.blockSize) || options.blockSize < 1 ||
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
            if (!parseDouble(value, options.seconds) || options.seconds <= 0.0 ||
                options.seconds > maxSeconds) {
                error = "--seconds wants a duration above 0 and at most 3600, got: " + value;
                return false;
            }
        } else {
            if (!parseDouble(value, options.tolerance) || options.tolerance < 0.0) {
                error = "--tolerance wants a number of at least 0, got: " + value;
                return false;
            }
        }
    }
    if (options.arguments.size() != expected->second) {
        error = options.command + " takes " + std::to_string(expected->second) + " argument" +
                (expected->second == 1 ? "" : "s") + ", got " + std::to_string(options.arguments.size());
        return false;
    }
    return true;
}

} // namespace chorus::host
