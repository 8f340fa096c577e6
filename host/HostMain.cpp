// chorus-host: loads a plug-in module through its "main" and runs it over audio files.
#include "host/CommandLine.h"
#include "host/HostCommands.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace chorus::host;
    const std::vector<std::string> args(argv + 1, argv + argc);
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
