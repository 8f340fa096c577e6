#pragma once

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace chorus::host {

// chorus-host editor PLUGIN [--program N|NAME] [--param NAME=VALUE]... [--screenshot FILE] [--seconds S]
// [--log]: opens the plug-in's editor in a window of its own while the demo signal plays through the
// plug-in on a second thread. With --screenshot the window's picture is written as PNG once the editor
// has painted (after S seconds when --seconds is given too) and the command ends; with --seconds it ends
// after that time; otherwise when the window is closed. --log prints every host request the plug-in
// makes and, at the end, the parameters as the host sees them.
class EditorCommand {
public:
    struct Options {
        std::string plugin;
        std::string program;
        std::vector<std::pair<std::string, std::string>> params;
        std::string screenshot;
        double seconds = -1.0; // below 0: until the window is closed
        bool log = false;
    };

    static constexpr int sampleRate = 44100; // Hz
    static constexpr int blockSize = 512;    // frames

    // args: everything after the word "editor". False with a message for a malformed command line.
    static bool parse(const std::vector<std::string>& args, Options& options, std::string& error);
    static std::string usage();
    // The whole command; answers the exit status.
    static int run(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);
    static int run(const Options& options, std::FILE* out, std::FILE* err);
};

} // namespace chorus::host
