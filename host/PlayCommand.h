#pragma once

#include "host/CommandLine.h"

#include <cstdio>
#include <string>

namespace chorus::host {

class AudioFile;

// chorus-host play PLUGIN [IN.wav] [--loop] [--program ..] [--param ..] [--device NAME] [--buffer FRAMES]
// [--seconds S] [--log]: plays the input (default: the demo signal) through the plug-in out of the sound
// device, the device's thread calling the plug-in block by block, until the input ends (with --loop: until
// S seconds have passed or the user interrupts). Prints the device and, at the end, the frames played and
// how often the device ran dry.
class PlayCommand {
public:
    static constexpr int demoSampleRate = 44100; // Hz

    static int run(const HostOptions& options, std::FILE* out, std::FILE* err);

    // The input a live command plays: the file, or the demo signal when the path is empty.
    static bool readInput(const std::string& path, AudioFile& input, std::string& error);
    // The device block: --buffer, else the output's default.
    static int bufferFrames(const HostOptions& options);
};

} // namespace chorus::host
