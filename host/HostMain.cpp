// chorus-host: loads a plug-in module through its "main" and runs it over audio files.
#include "host/CommandLine.h"
#include "host/HostCommands.h"
#ifdef CHORUS_HOST_EDITOR
#include "host/EditorCommand.h"
#endif

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace chorus::host;
    const std::vector<std::string> args(argv + 1, argv + argc);
#ifdef CHORUS_HOST_EDITOR
    // The editor command has options of its own and needs a window system.
    if (!args.empty() && args[0] == "editor") {
        try {
            return EditorCommand::run(std::vector<std::string>(args.begin() + 1, args.end()), stdout, stderr);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "chorus-host: %s\n", e.what());
            return HostCommands::exitFailure;
        }
    }
#endif
    HostOptions options;
    std::string error;
    if (!CommandLine::parse(args, options, error)) {
        std::fprintf(stderr, "chorus-host: %s\n%s", error.c_str(), CommandLine::usage().c_str());
        return HostCommands::exitUsage;
    }
    try {
        HostCommands commands(stdout, stderr);
        return commands.run(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "chorus-host: %s\n", e.what());
        return HostCommands::exitFailure;
    }
}
