#pragma once

#include <string>
#include <utility>
#include <vector>

namespace chorus::host {

// What a session sets the plug-in to before it runs, as the user asked for it; Session applies it in one
// documented order: bank preset, program, program preset, parameters, then the scheduled changes.
struct SessionOptions {
    std::string modulePath;
    std::string program; // number or name; empty: keep the plug-in's program
    std::vector<std::pair<std::string, std::string>> params; // name, value text in the parameter's unit
    std::vector<std::pair<std::string, std::string>> timed;  // --at: time text, NAME=VALUE or program=P
    std::string automationFile;
    std::string loadPreset;  // program or bank preset
    std::string saveBank;    // bank preset written when the work is done
    std::string saveProgram; // program preset written when the work is done
    bool log = false;        // print the host requests the plug-in makes
};

} // namespace chorus::host
