#pragma once

#include "host/cli/CommandLine.h"

#include <cstdio>

namespace chorus::host {

// chorus-host compare A B [--tolerance T]: the largest difference between two audio files; exit 3 when
// it exceeds the tolerance or a sample is not a number.
class CompareCommand {
public:
    static int run(const HostOptions& options, std::FILE* out, std::FILE* err);
};

} // namespace chorus::host
