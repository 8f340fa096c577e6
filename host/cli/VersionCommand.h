#pragma once

#include "host/cli/CommandLine.h"

#include <cstdio>

namespace chorus::host {

// chorus-host --version [PLUGIN]: the host's version and build kind, and the module's version and id.
class VersionCommand {
public:
    static int run(const HostOptions& options, std::FILE* out, std::FILE* err);
};

} // namespace chorus::host
