#pragma once

#include "host/cli/CommandLine.h"

#include <cstdio>
#include <string>

namespace chorus::host {

// chorus-host play PLUGIN [IN.wav] [--loop] [--program ..] [--param ..] [--at TIME CHANGE].. [--automation
// FILE] [--device NAME] [--buffer FRAMES] [--seconds S] [--log]: plays the input (default: the demo signal)
// through the plug-in out of the sound device, the device's thread calling the plug-in block by block and
// sending the scheduled changes on their frames, until the input ends (with --loop: until S seconds have
// passed or the user interrupts). Prints the device and, at the end, the frames played and how often the
// device ran dry; with --log also each change sent.
class PlayCommand {
public:
    static int run(const HostOptions& options, std::FILE* out, std::FILE* err);
};

} // namespace chorus::host
