#pragma once

#include "host/cli/CommandLine.h"

#include <cstdio>

namespace chorus::host {

// chorus-host info PLUGIN [--load PRESET] [--program ..] [--param ..] [--save ..]: the plug-in's identity,
// pins, parameters with their ranges and programs, after the session's set-up.
class InfoCommand {
public:
    static int run(const HostOptions& options, std::FILE* out, std::FILE* err);
};

} // namespace chorus::host
