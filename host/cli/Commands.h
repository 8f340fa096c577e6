#pragma once

#include "host/cli/CommandLine.h"

#include <cstdio>

namespace chorus::host::commands {

// The commands of chorus-host, a source file each (InfoCommand.cpp, ...), listed in the command table.
// Results go to out; status, warnings, progress and --log lines to err. Each answers the exit status.

// chorus-host --version [PLUGIN]: the host's version and build kind, and the module's version and id.
int version(const HostOptions& options, std::FILE* out, std::FILE* err);

// chorus-host info PLUGIN [--load PRESET] [--program ..] [--param ..] [--save ..]: the plug-in's identity,
// pins, parameters with their ranges and programs, after the session's set-up.
int info(const HostOptions& options, std::FILE* out, std::FILE* err);

// chorus-host render PLUGIN IN OUT.wav: runs a file through the plug-in, block by block, with its
// scheduled changes, into a WAV file that appears only once it is whole.
int render(const HostOptions& options, std::FILE* out, std::FILE* err);

// chorus-host generate OUT.wav: the built-in demo signal as a WAV file, written block by block.
int generate(const HostOptions& options, std::FILE* out, std::FILE* err);

// chorus-host compare A B [--tolerance T]: the largest difference between two audio files; exit 3 when
// it exceeds the tolerance or a sample is not a number.
int compare(const HostOptions& options, std::FILE* out, std::FILE* err);

// chorus-host play PLUGIN [IN.wav] [--loop] [--program ..] [--param ..] [--at TIME CHANGE].. [--automation
// FILE] [--device NAME] [--buffer FRAMES] [--seconds S] [--log]: plays the input (default: the demo signal)
// through the plug-in out of the sound device, the device's thread calling the plug-in block by block and
// sending the scheduled changes on their frames, until the input ends (with --loop: until S seconds have
// passed or the user interrupts). Prints the device and, at the end, the frames played and how often the
// device ran dry; with --log also each change sent.
int play(const HostOptions& options, std::FILE* out, std::FILE* err);

// "chorus-host bench PLUGIN": times the module's replacing entry in this process for every shape, one and
// four stages, two inputs and one input into two outputs, and prints the cost per frame per stage.
int bench(const HostOptions& options, std::FILE* out, std::FILE* err);

#ifdef CHORUS_HOST_EDITOR
// chorus-host editor PLUGIN [--program N|NAME] [--param NAME=VALUE]... [--screenshot FILE] [--seconds S]
// [--play [IN.wav]] [--device NAME] [--buffer FRAMES] [--knob-mode linear|circular] [--save FILE] [--log]:
// opens the plug-in's editor in a window of its own while the demo signal plays through the plug-in on a
// second thread: unheard, or with --play (the input looping) out of the sound device. The knob mode is
// set before the editor opens (default linear); with --save the bank is written as a preset file when
// the window closes. With --screenshot the window's picture is written as PNG once the editor
// has painted (after S seconds when --seconds is given too) and the command ends; with --seconds it ends
// after that time; otherwise when the window is closed. --log prints every host request the plug-in
// makes and, at the end, the parameters as the host sees them.
int editor(const HostOptions& options, std::FILE* out, std::FILE* err);
#endif

} // namespace chorus::host::commands
