#pragma once

#include "host/cli/CommandLine.h"

#include <cstdio>

namespace chorus::host {

// chorus-host editor PLUGIN [--program N|NAME] [--param NAME=VALUE]... [--screenshot FILE] [--seconds S]
// [--play [IN.wav]] [--device NAME] [--buffer FRAMES] [--knob-mode linear|circular] [--save FILE] [--log]:
// opens the plug-in's editor in a window of its own while the demo signal plays through the plug-in on a
// second thread: unheard, or with --play (the input looping) out of the sound device. The knob mode is
// set before the editor opens (default linear); with --save the bank is written as a preset file when
// the window closes. With --screenshot the window's picture is written as PNG once the editor
// has painted (after S seconds when --seconds is given too) and the command ends; with --seconds it ends
// after that time; otherwise when the window is closed. --log prints every host request the plug-in
// makes and, at the end, the parameters as the host sees them.
class EditorCommand {
public:
    static constexpr int sampleRate = 44100; // Hz
    static constexpr int blockSize = 512;    // frames

    // Runs the parsed editor command; answers the exit status.
    static int run(const HostOptions& options, std::FILE* out, std::FILE* err);
};

} // namespace chorus::host
