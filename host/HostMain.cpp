// chorus-host: loads a plug-in module through its "main" and runs it over audio files.
#include "host/BenchCommand.h"
#include "host/CommandLine.h"
#include "host/HostCommands.h"
#include "host/PlayCommand.h"
#include "host/Validator.h"
#ifdef CHORUS_HOST_EDITOR
#include "host/EditorCommand.h"
#endif

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

// The editor command needs a window system, so only some builds have it.
#ifdef CHORUS_HOST_EDITOR
constexpr bool withEditor = true;
#else
constexpr bool withEditor = false;
#endif

} // namespace

int main(int argc, char** argv) {
    using namespace chorus::host;
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "validate") {
        return Validator::main(args, stdout, stderr);
    }
    HostOptions options;
    std::string error;
    if (!CommandLine::parse(args, options, error, withEditor)) {
        std::fprintf(stderr, "chorus-host: %s\n%s", error.c_str(), CommandLine::usage(withEditor).c_str());
        return HostCommands::exitUsage;
    }
    if (options.command == "help") {
        std::fputs(CommandLine::usage(withEditor).c_str(), stdout);
        return HostCommands::exitOk;
    }
    try {
#ifdef CHORUS_HOST_EDITOR
        if (options.command == "editor") {
            return EditorCommand::run(options, stdout, stderr);
        }
#endif
        if (options.command == "play") {
            return PlayCommand::run(options, stdout, stderr);
        }
        if (options.command == "bench") {
            return BenchCommand::run(options, stdout, stderr);
        }
        HostCommands commands(stdout, stderr);
        return commands.run(options);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "chorus-host: %s\n", e.what());
        return HostCommands::exitFailure;
    }
}
