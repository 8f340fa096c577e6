#include "host/cli/CommandLine.h"

#include "host/cli/CommandUsage.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <string_view>
#include <utility>

namespace chorus::host {

namespace {

constexpr int maxBlockSize = 1 << 20; // frames
constexpr double maxSeconds = 3600.0;
constexpr int minBufferFrames = 64; // frames per device block
constexpr int maxBufferFrames = 65536;

// The options with a value each command accepts; --log takes none and every command accepts it.
const std::set<std::string> infoOptions = {"--load", "--program", "--param", "--save", "--save-program"};
const std::set<std::string> renderOptions = {"--program", "--param",  "--at",           "--automation",
                                             "--load",    "--save",   "--save-program", "--block",
                                             "--mode",    "--format", "--rate"};
const std::set<std::string> generateOptions = {"--seconds", "--rate", "--channels", "--format"};
const std::set<std::string> compareOptions = {"--tolerance"};
const std::set<std::string> versionOptions = {};
const std::set<std::string> editorOptions = {"--load",       "--program",    "--param",     "--at",
                                             "--automation", "--screenshot", "--seconds",   "--device",
                                             "--buffer",     "--save",       "--knob-mode", "--zoom"};
const std::set<std::string> playOptions = {"--load",       "--program", "--param",  "--at",
                                           "--automation", "--seconds", "--device", "--buffer"};
const std::set<std::string> logFlag = {"--log"};
const std::set<std::string> playFlags = {"--log", "--loop", "--list-devices"};
const std::set<std::string> editorFlags = {"--log", "--play"};
const std::set<std::string> benchOptions = {"--program", "--param", "--rate", "--block", "--seconds"};

struct CommandShape {
    std::size_t minArguments;
    std::size_t maxArguments;
    const std::set<std::string>* valueOptions;
    const std::set<std::string>* flags = &logFlag;
};

const std::map<std::string, CommandShape> fileCommands = {
    {"info", {1, 1, &infoOptions}},         {"render", {3, 3, &renderOptions}},
    {"generate", {1, 1, &generateOptions}}, {"compare", {2, 2, &compareOptions}},
    {"version", {0, 1, &versionOptions}},   {"play", {1, 2, &playOptions, &playFlags}},
    {"bench", {1, 1, &benchOptions}}};
const CommandShape editorCommand = {1, 1, &editorOptions, &editorFlags};

bool isHelp(const std::string& arg) {
    return arg == "--help" || arg == "-h" || arg == "help";
}

} // namespace

bool CommandLine::hasUsage(const std::string& command, bool withEditor) {
    return CommandUsage::has(command, withEditor);
}

std::string CommandLine::usage(bool withEditor, const std::string& command) {
    return CommandUsage::text(withEditor, command);
}

namespace {

using Setter = bool (*)(const std::string& value, HostOptions& options, std::string& error);

bool fail(std::string& error, std::string message) {
    error = std::move(message);
    return false;
}

bool setWhole(const std::string& value, int& target, int low, int high) {
    return NumberText::parseWhole(value, target) && target >= low && target <= high;
}

// A text that may not be empty.
bool setText(const std::string& value, std::string& target, std::string& error, const std::string& missing) {
    target = value;
    return !value.empty() || fail(error, missing);
}

bool setFile(const std::string& option, const std::string& value, std::string& target, std::string& error) {
    return setText(value, target, error, option + " needs a file name");
}

// What each option with one value does with it; false with the message for a malformed value.
const std::map<std::string, Setter> setters = {
    {"--program",
     [](const std::string& value, HostOptions& options, std::string& error) {
         return setText(value, options.program, error, "--program needs a number or a name");
     }},
    {"--param",
     [](const std::string& value, HostOptions& options, std::string& error) {
         std::string name;
         std::string text;
         if (!NumberText::splitAssignment(value, name, text)) {
             return fail(error, "--param wants NAME=VALUE, got: " + value);
         }
         options.params.emplace_back(name, text);
         return true;
     }},
    {"--rate",
     [](const std::string& value, HostOptions& options, std::string& error) {
         if (options.command == "render") {
             return fail(
                 error,
                 "--rate is for generate: render runs at its input's rate and labels the output with it");
         }
         return setWhole(value, options.sampleRate, CommandLine::minSampleRate, CommandLine::maxSampleRate) ||
                fail(error, "--rate wants a whole number of Hz from 8000 to 768000, got: " + value);
     }},
    {"--block",
     [](const std::string& value, HostOptions& options, std::string& error) {
         return setWhole(value, options.blockSize, 1, maxBlockSize) ||
                fail(error, "--block wants a number of frames from 1 to 1048576, got: " + value);
     }},
    {"--mode",
     [](const std::string& value, HostOptions& options, std::string& error) {
         options.replacing = value == "replace";
         return value == "replace" || value == "add" ||
                fail(error, "--mode is replace or add, got: " + value);
     }},
    {"--format",
     [](const std::string& value, HostOptions& options, std::string& error) {
         return WavWriter::parseFormat(value, options.format) ||
                fail(error, "--format is f32, s24 or s16, got: " + value);
     }},
    {"--channels",
     [](const std::string& value, HostOptions& options, std::string& error) {
         options.channels = value == "1" ? 1 : 2;
         return value == "1" || value == "2" || fail(error, "--channels is 1 or 2, got: " + value);
     }},
    {"--seconds",
     [](const std::string& value, HostOptions& options, std::string& error) {
         double seconds = 0.0;
         if (!NumberText::parseNumber(value, seconds) || seconds <= 0.0 || seconds > maxSeconds) {
             return fail(error, "--seconds wants a duration above 0 and at most 3600, got: " + value);
         }
         options.seconds = seconds;
         return true;
     }},
    {"--tolerance",
     [](const std::string& value, HostOptions& options, std::string& error) {
         return (NumberText::parseNumber(value, options.tolerance) && options.tolerance >= 0.0) ||
                fail(error, "--tolerance wants a number of at least 0, got: " + value);
     }},
    {"--buffer",
     [](const std::string& value, HostOptions& options, std::string& error) {
         return setWhole(value, options.bufferFrames, minBufferFrames, maxBufferFrames) ||
                fail(error, "--buffer wants a number of frames from 64 to 65536, got: " + value);
     }},
    {"--knob-mode",
     [](const std::string& value, HostOptions& options, std::string& error) {
         options.knobMode = value == "linear" ? HostOptions::knobLinear : HostOptions::knobCircular;
         return value == "linear" || value == "circular" ||
                fail(error, "--knob-mode is linear or circular, got: " + value);
     }},
    {"--zoom",
     [](const std::string& value, HostOptions& options, std::string& error) {
         options.zoom = value == "auto"  ? 0
                        : value == "100" ? 100
                        : value == "150" ? 150
                        : value == "200" ? 200
                                         : -1;
         return options.zoom >= 0 || fail(error, "--zoom is 100, 150, 200 or auto, got: " + value);
     }},
    {"--device",
     [](const std::string& value, HostOptions& options, std::string& error) {
         return setText(value, options.device, error, "--device needs a device name");
     }},
    {"--automation",
     [](const std::string& value, HostOptions& options, std::string& error) {
         return setFile("--automation", value, options.automationFile, error);
     }},
    {"--load", [](const std::string& value, HostOptions& options,
                  std::string& error) { return setFile("--load", value, options.loadPreset, error); }},
    {"--save", [](const std::string& value, HostOptions& options,
                  std::string& error) { return setFile("--save", value, options.saveBank, error); }},
    {"--save-program",
     [](const std::string& value, HostOptions& options, std::string& error) {
         return setFile("--save-program", value, options.saveProgram, error);
     }},
    {"--screenshot",
     [](const std::string& value, HostOptions& options, std::string& error) {
         return setFile("--screenshot", value, options.screenshot, error);
     }},
};

// A flag the command takes; --play may be followed by an input file.
void setFlag(const std::vector<std::string>& args, size_t& i, HostOptions& options) {
    const std::string& arg = args[i];
    if (arg == "--log") {
        options.log = true;
    } else if (arg == "--loop") {
        options.loop = true;
    } else if (arg == "--list-devices") {
        options.listDevices = true;
    } else {
        options.play = true;
        if (i + 1 < args.size() && !args[i + 1].empty() && args[i + 1].compare(0, 2, "--") != 0) {
            options.playInput = args[++i];
        }
    }
}

// One option at args[i] with its values; i moves past them.
bool readOption(const std::vector<std::string>& args, size_t& i, const CommandShape& shape,
                HostOptions& options, std::string& error) {
    const std::string& arg = args[i];
    if (shape.flags->count(arg) != 0) {
        setFlag(args, i, options);
        return true;
    }
    if (arg == "--quiet" && options.command != "editor") {
        options.quiet = true;
        return true;
    }
    if (shape.valueOptions->count(arg) == 0) {
        return fail(error, "unknown option: " + arg);
    }
    const size_t valueCount = arg == "--at" ? 2 : 1;
    if (i + valueCount >= args.size()) {
        return fail(error,
                    "option " + arg + (valueCount == 1 ? " needs a value" : " needs a time and NAME=VALUE"));
    }
    const std::string& value = args[++i];
    if (arg != "--at") {
        return setters.at(arg)(value, options, error);
    }
    const std::string& assignment = args[++i];
    std::string name;
    std::string text;
    if (!NumberText::splitAssignment(assignment, name, text)) {
        return fail(error, "--at wants TIME NAME=VALUE, got: " + value + " " + assignment);
    }
    options.timed.emplace_back(value, assignment);
    return true;
}

// The number of positional arguments against what the command takes.
bool argumentCountFits(const HostOptions& options, const CommandShape& shape, std::string& error) {
    const size_t count = options.arguments.size();
    if (count >= shape.minArguments && count <= shape.maxArguments) {
        return true;
    }
    const std::string got = ", got " + std::to_string(count);
    if (shape.minArguments == 0) {
        return fail(error, options.command + " takes at most " + std::to_string(shape.maxArguments) +
                               " argument" + got);
    }
    if (shape.maxArguments != shape.minArguments) {
        return fail(error, options.command + " takes " + std::to_string(shape.minArguments) + " or " +
                               std::to_string(shape.maxArguments) + " arguments" + got);
    }
    return fail(error, options.command + " takes " + std::to_string(shape.minArguments) + " argument" +
                           (shape.minArguments == 1 ? "" : "s") + got);
}

} // namespace

bool CommandLine::parse(const std::vector<std::string>& args, HostOptions& options, std::string& error,
                        bool withEditor) {
    if (args.empty()) {
        return fail(error, "no command given");
    }
    options.command = args[0] == "--version" ? "version" : args[0];
    if (std::any_of(args.begin(), args.end(), isHelp)) {
        // "help COMMAND" or "COMMAND --help": that command's usage; "--help" alone: the whole usage.
        const std::string asked = isHelp(args[0]) ? (args.size() > 1 ? args[1] : "") : options.command;
        options.command = "help";
        if (asked.empty() || isHelp(asked)) {
            return true;
        }
        if (!hasUsage(asked == "--version" ? "version" : asked, withEditor)) {
            return fail(error, "unknown command: " + asked);
        }
        options.arguments.push_back(asked == "--version" ? "version" : asked);
        return true;
    }
    const CommandShape* shape = nullptr;
    if (withEditor && options.command == "editor") {
        shape = &editorCommand;
    } else if (const auto known = fileCommands.find(options.command); known != fileCommands.end()) {
        shape = &known->second;
    } else {
        return fail(error, "unknown command: " + options.command);
    }
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i].size() < 2 || args[i].compare(0, 2, "--") != 0) {
            options.arguments.push_back(args[i]);
        } else if (!readOption(args, i, *shape, options, error)) {
            return false;
        }
    }
    if (options.listDevices) {
        return options.arguments.empty() || fail(error, "play --list-devices takes no arguments");
    }
    if (!argumentCountFits(options, *shape, error)) {
        return false;
    }
    if (options.command == "editor" && !options.play &&
        (!options.timed.empty() || !options.automationFile.empty())) {
        return fail(error, "--at and --automation need --play");
    }
    if (options.command != "generate" && options.command != "compare" && !options.arguments.empty()) {
        options.modulePath = options.arguments[0];
    }
    if (options.command == "play") {
        options.play = true;
        if (options.arguments.size() > 1) {
            options.playInput = options.arguments[1];
        }
    }
    return true;
}

} // namespace chorus::host
