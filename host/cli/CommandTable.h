#pragma once

#include "host/cli/CommandLine.h"

#include <cstdio>
#include <string>
#include <vector>

namespace chorus::host {

// Every command of chorus-host in one table: its name and the function that runs it. Results go to out;
// status, warnings, progress and --log lines to err. Each answers the exit status.
class CommandTable {
public:
    // Runs a whole command line: parses it (a command with options of its own parses them itself), then
    // runs the command. No exception leaves it.
    static int main(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);
    // Runs a parsed command line.
    static int run(const HostOptions& options, std::FILE* out, std::FILE* err);
    // Whether this build has the editor command (it needs a window system).
    static bool withEditor() noexcept;
};

} // namespace chorus::host
