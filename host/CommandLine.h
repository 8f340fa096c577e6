#pragma once

#include "host/WavWriter.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace chorus::host {

// What the command line asked for.
struct HostOptions {
    std::string command;                // also "help" and "version"
    std::vector<std::string> arguments; // positional arguments after the command
    std::string program;                // number or name; empty: keep the plug-in's program
    std::vector<std::pair<std::string, std::string>> params; // name, value text in the parameter's unit
    std::vector<std::pair<std::string, std::string>> timed;  // --at: time text, NAME=VALUE or program=P
    std::string automationFile;
    std::string loadPreset;  // program or bank preset applied before the render
    std::string saveBank;    // bank preset written after the render
    std::string saveProgram; // program preset written after the render
    SampleFormat format = SampleFormat::f32;
    int sampleRate = 0; // generate only; 0: 44100
    int blockSize = 512;
    bool replacing = true;
    bool log = false;
    bool quiet = false;
    // Unset: the demo signal's default length (generate) or until the window is closed (editor).
    std::optional<double> seconds;
    int channels = 2; // of the generated signal
    double tolerance = 1e-6;
    std::string screenshot; // editor: PNG file for the window's picture; empty: none
};

// Parses "chorus-host <command> [arguments] [options]".
class CommandLine {
public:
    static constexpr int minSampleRate = 8000;   // Hz
    static constexpr int maxSampleRate = 768000; // Hz

    // False with a message in error for an unknown command or option, a missing or malformed value,
    // or the wrong number of arguments. The editor command is known only withEditor (it needs a window
    // system) and takes only the options it uses. --help, -h or help anywhere asks for the usage.
    static bool parse(const std::vector<std::string>& args, HostOptions& options, std::string& error,
                      bool withEditor = false);
    static std::string usage(bool withEditor = false);

    // The whole text as a whole number, or as a finite number.
    static bool parseWhole(const std::string& text, int& value);
    static bool parseNumber(const std::string& text, double& value);
    // "NAME=VALUE" with both parts present.
    static bool splitAssignment(const std::string& text, std::string& name, std::string& value);
};

} // namespace chorus::host
