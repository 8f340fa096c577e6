#pragma once

#include "host/audio/WavWriter.h"
#include "host/session/NumberText.h"
#include "host/session/SessionOptions.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace chorus::host {

// What the command line asked for: a session's options and the command's own.
struct HostOptions : SessionOptions {
    std::string command;                // also "help" and "version"
    std::vector<std::string> arguments; // positional arguments after the command
    SampleFormat format = SampleFormat::f32;
    int sampleRate = 0; // generate only; 0: 44100
    int blockSize = 512;
    bool replacing = true;
    bool quiet = false;
    // Unset: the demo signal's default length (generate) or until the window is closed (editor).
    std::optional<double> seconds;
    int channels = 2; // of the generated signal
    double tolerance = 1e-6;
    std::string screenshot; // editor: PNG file for the window's picture; empty: none
    // Live sound (play, and editor --play): the input (empty: the demo signal), the device (empty: the
    // system's default), the device's block in frames (0: the output's default), and looping.
    bool play = false;
    std::string playInput;
    std::string device;
    int bufferFrames = 0;
    bool loop = false;
    bool listDevices = false;  // play: list the outputs instead
    int knobMode = knobLinear; // editor: how knobs follow a drag
    int zoom = zoomUnset;      // editor: percent, 0 for the monitor's DPI

    static constexpr int knobCircular = 0; // the knob-mode request's values
    static constexpr int knobLinear = 2;
    static constexpr int zoomUnset = -1; // the editor decides (it follows the monitor's DPI)
};

// Parses "chorus-host <command> [arguments] [options]".
class CommandLine {
public:
    static constexpr int minSampleRate = 8000;   // Hz
    static constexpr int maxSampleRate = 768000; // Hz

    // False with a message in error for an unknown command or option, a missing or malformed value,
    // or the wrong number of arguments. The editor command is known only withEditor (it needs a window
    // system) and takes only the options it uses. --help, -h or help anywhere asks for the usage: the
    // command "help" with the command asked about as its argument ("help render", "render --help"), or
    // none for the whole usage.
    static bool parse(const std::vector<std::string>& args, HostOptions& options, std::string& error,
                      bool withEditor = false);
    // The whole usage, or one command's lines and the notes that concern it.
    static std::string usage(bool withEditor = false, const std::string& command = {});
    // Whether command has usage lines of its own ("version" for --version).
    static bool hasUsage(const std::string& command, bool withEditor = false);
};

} // namespace chorus::host
