#pragma once

#include <string>
#include <utility>
#include <vector>

namespace chorus::host {

// What the command line asked for.
struct HostOptions {
    std::string command;
    std::vector<std::string> arguments; // positional arguments after the command
    std::string program;                // number or name; empty: keep the plug-in's program
    std::vector<std::pair<std::string, std::string>> params; // name, value text in the parameter's unit
    int sampleRate = 0; // 0: the input file's rate (render) or 44100 (generate)
    int blockSize = 512;
    bool replacing = true;
    bool log = false;
    double seconds = 12.0;
    int channels = 2; // of the generated signal
    double tolerance = 1e-6;
};

// Parses "chorus-host <command> [arguments] [options]".
class CommandLine {
public:
    // False with a message in error for an unknown command or option, a missing or malformed value,
    // or the wrong number of arguments.
    static bool parse(const std::vector<std::string>& args, HostOptions& options, std::string& error);
    static std::string usage();
};

} // namespace chorus::host
