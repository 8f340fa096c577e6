#pragma once

#include "host/CommandLine.h"

#include <cstdio>
#include <string>

namespace chorus::host {

class AudioFile;
class AutomationSchedule;

// chorus-host play PLUGIN [IN.wav] [--loop] [--program ..] [--param ..] [--at TIME CHANGE].. [--automation
// FILE] [--device NAME] [--buffer FRAMES] [--seconds S] [--log]: plays the input (default: the demo signal)
// through the plug-in out of the sound device, the device's thread calling the plug-in block by block and
// sending the scheduled changes on their frames, until the input ends (with --loop: until S seconds have
// passed or the user interrupts). Prints the device and, at the end, the frames played and how often the
// device ran dry; with --log also each change sent.
class PlayCommand {
public:
    static constexpr int demoSampleRate = 44100; // Hz

    static int run(const HostOptions& options, std::FILE* out, std::FILE* err);

    // The input a live command plays: the file, or the demo signal when the path is empty.
    static bool readInput(const std::string& path, AudioFile& input, std::string& error);
    // The device block: --buffer, else the output's default.
    static int bufferFrames(const HostOptions& options);
    // Reads --at and --automation into the schedule and starts it. Its times count from the start of
    // playing, so a loop does not replay them; it ends with the input, or when looping with --seconds
    // (else never). False with a usage error's message.
    static bool readAutomation(const HostOptions& options, const AudioFile& input, bool loop,
                               AutomationSchedule& schedule, std::string& error);
};

} // namespace chorus::host
