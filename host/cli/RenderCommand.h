#pragma once

#include "host/cli/CommandLine.h"

#include <cstdio>

namespace chorus::host {

// chorus-host render PLUGIN IN OUT.wav: runs a file through the plug-in, block by block, with its
// scheduled changes, into a WAV file that appears only once it is whole.
class RenderCommand {
public:
    static int run(const HostOptions& options, std::FILE* out, std::FILE* err);
};

} // namespace chorus::host
