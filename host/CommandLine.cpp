#include "host/CommandLine.h"

#include <charconv>
#include <cmath>
#include <map>
#include <set>

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
const std::set<std::string> editorOptions = {"--program",    "--param",    "--at",     "--automation",
                                             "--screenshot", "--seconds",  "--device", "--buffer",
                                             "--save",       "--knob-mode"};
const std::set<std::string> playOptions = {"--program", "--param",  "--at",    "--automation",
                                           "--seconds", "--device", "--buffer"};
const std::set<std::string> logFlag = {"--log"};
const std::set<std::string> playFlags = {"--log", "--loop"};
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

bool CommandLine::splitAssignment(const std::string& text, std::string& name, std::string& value) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0 || equals + 1 == text.size()) {
        return false;
    }
    name = text.substr(0, equals);
    value = text.substr(equals + 1);
    return true;
}

std::string CommandLine::usage(bool withEditor) {
    std::string text =
        "usage:\n"
        "  chorus-host info PLUGIN [--load PRESET] [--program N|NAME] [--param NAME=VALUE]... [--save "
        "PRESET]\n"
        "  chorus-host render PLUGIN IN OUT.wav [--program N|NAME] [--param NAME=VALUE]...\n"
        "                     [--at TIME NAME=VALUE|program=N|NAME]... [--automation FILE]\n"
        "                     [--load PRESET] [--save PRESET] [--save-program PRESET]\n"
        "                     [--format f32|s24|s16] [--block N] [--mode replace|add] [--quiet] [--log]\n"
        "  chorus-host generate OUT.wav [--seconds S] [--rate HZ] [--channels 1|2] [--format f32|s24|s16]\n"
        "  chorus-host compare A B [--tolerance T]\n"
        "  chorus-host play PLUGIN [IN.wav] [--loop] [--program N|NAME] [--param NAME=VALUE]...\n"
        "                   [--at TIME NAME=VALUE|program=N|NAME]... [--automation FILE]\n"
        "                   [--device NAME] [--buffer FRAMES] [--seconds S] [--log]\n"
        "  chorus-host bench PLUGIN [--seconds S] [--block N] [--rate HZ] [--program N|NAME] [--param ...]\n"
        "  chorus-host validate PLUGIN [--level 1..10] [--seed N] [--minutes M] [--only NAME]\n"
        "                       [--watchdog S] [--report FILE.json|FILE.xml]\n"
        "  chorus-host --version [PLUGIN]\n"
        "  chorus-host --help\n";
    if (withEditor) {
        text += "  chorus-host editor PLUGIN [--program N|NAME] [--param NAME=VALUE]... [--screenshot FILE]\n"
                "                     [--seconds S] [--play [IN.wav]] [--device NAME] [--buffer "
                "FRAMES]\n"
                "                     [--at TIME NAME=VALUE]... [--automation FILE] (with --play)\n"
                "                     [--knob-mode linear|circular] [--save FILE] [--log]\n";
    }
    text += "TIME is seconds with an s (1.5s) or frames (66150); an automation file holds one event a line:\n"
            "  TIME NAME=VALUE, TIME program=N|NAME, or a ramp TIME1..TIME2 NAME=A..B; # starts a comment.\n"
            "play counts TIME from the start of playing: --loop does not replay the changes (a later pass\n"
            "  would start where the last change left the parameters, not as the first pass did).\n"
            "IN - reads standard input; OUT - (or - after --save, --save-program, --screenshot) writes\n"
            "  standard output.\n"
            "Exit status: 0 done, 1 failed (nothing written), 2 usage error, 3 compare found a difference.\n";
    return text;
}

bool CommandLine::parse(const std::vector<std::string>& args, HostOptions& options, std::string& error,
                        bool withEditor) {
    if (args.empty()) {
        error = "no command given";
        return false;
    }
    for (const std::string& arg : args) {
        if (isHelp(arg)) {
            options.command = "help";
            return true;
        }
    }
    options.command = args[0] == "--version" ? "version" : args[0];
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
        if (shape->flags->count(arg) != 0) {
            if (arg == "--log") {
                options.log = true;
            } else if (arg == "--loop") {
                options.loop = true;
            } else {
                options.play = true;
                // An input file may follow --play.
                if (i + 1 < args.size() && !args[i + 1].empty() && args[i + 1].compare(0, 2, "--") != 0) {
                    options.playInput = args[++i];
                }
            }
            continue;
        }
        if (arg == "--quiet" && options.command != "editor") {
            options.quiet = true;
            continue;
        }
        if (shape->valueOptions->count(arg) == 0) {
            error = "unknown option: " + arg;
            return false;
        }
        const size_t valueCount = arg == "--at" ? 2 : 1;
        if (i + valueCount >= args.size()) {
            error = "option " + arg + (valueCount == 1 ? " needs a value" : " needs a time and NAME=VALUE");
            return false;
        }
        const std::string& value = args[++i];
        std::string name;
        std::string text;
        if (arg == "--program") {
            if (value.empty()) {
                error = "--program needs a number or a name";
                return false;
            }
            options.program = value;
        } else if (arg == "--param") {
            if (!splitAssignment(value, name, text)) {
                error = "--param wants NAME=VALUE, got: " + value;
                return false;
            }
            options.params.emplace_back(name, text);
        } else if (arg == "--at") {
            const std::string& assignment = args[++i];
            if (!splitAssignment(assignment, name, text)) {
                error = "--at wants TIME NAME=VALUE, got: " + value + " " + assignment;
                return false;
            }
            options.timed.emplace_back(value, assignment);
        } else if (arg == "--rate") {
            if (options.command == "render") {
                error =
                    "--rate is for generate: render runs at its input's rate and labels the output with it";
                return false;
            }
            if (!parseWhole(value, options.sampleRate) || options.sampleRate < minSampleRate ||
                options.sampleRate > maxSampleRate) {
                error = "--rate wants a whole number of Hz from 8000 to 768000, got: " + value;
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
        } else if (arg == "--format") {
            if (!WavWriter::parseFormat(value, options.format)) {
                error = "--format is f32, s24 or s16, got: " + value;
                return false;
            }
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
        } else if (arg == "--buffer") {
            if (!parseWhole(value, options.bufferFrames) || options.bufferFrames < minBufferFrames ||
                options.bufferFrames > maxBufferFrames) {
                error = "--buffer wants a number of frames from 64 to 65536, got: " + value;
                return false;
            }
        } else if (arg == "--knob-mode") {
            if (value != "linear" && value != "circular") {
                error = "--knob-mode is linear or circular, got: " + value;
                return false;
            }
            options.knobMode = value == "linear" ? HostOptions::knobLinear : HostOptions::knobCircular;
        } else if (arg == "--device") {
            if (value.empty()) {
                error = "--device needs a device name";
                return false;
            }
            options.device = value;
        } else {
            if (value.empty()) {
                error = arg + " needs a file name";
                return false;
            }
            std::string* target = arg == "--automation"     ? &options.automationFile
                                  : arg == "--load"         ? &options.loadPreset
                                  : arg == "--save"         ? &options.saveBank
                                  : arg == "--save-program" ? &options.saveProgram
                                                            : &options.screenshot;
            *target = value;
        }
    }
    const size_t count = options.arguments.size();
    if (count < shape->minArguments || count > shape->maxArguments) {
        error = options.command + " takes " + std::to_string(shape->minArguments) + " argument" +
                (shape->minArguments == 1 ? "" : "s") + ", got " + std::to_string(count);
        if (shape->minArguments == 0) {
            error = options.command + " takes at most " + std::to_string(shape->maxArguments) +
                    " argument, got " + std::to_string(count);
        } else if (shape->maxArguments != shape->minArguments) {
            error = options.command + " takes " + std::to_string(shape->minArguments) + " or " +
                    std::to_string(shape->maxArguments) + " arguments, got " + std::to_string(count);
        }
        return false;
    }
    if (options.command == "editor" && !options.play &&
        (!options.timed.empty() || !options.automationFile.empty())) {
        error = "--at and --automation need --play";
        return false;
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
