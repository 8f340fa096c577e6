#pragma once

#include "host/cli/CommandLine.h"

#include <cstdio>

namespace chorus::host {

// "chorus-host bench PLUGIN": times the module's replacing entry in this process for every shape, one and
// four stages, two inputs and one input into two outputs, and prints the cost per frame per stage.
class BenchCommand {
public:
    static int run(const HostOptions& options, std::FILE* out, std::FILE* err);
};

} // namespace chorus::host
