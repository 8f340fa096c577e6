#pragma once

#include "host/session/AutomationSchedule.h"
#include "host/session/HostedPlugin.h"
#include "host/session/ModuleLoader.h"
#include "host/session/ParameterCatalog.h"
#include "host/session/PresetFile.h"
#include "host/session/SessionOptions.h"

#include <cstdio>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace chorus::host {

// One plug-in set up for a command, the same way for render, play, the editor, info and bench: the module
// loaded, the plug-in created and opened, told its pins, rate and block, then set from the options in one
// order (bank preset, --program, program preset, each --param in turn) and its scheduled changes read.
// Power-on is the caller's: it comes last, once the command's own set-up is done.
class Session {
public:
    // How the command runs the plug-in.
    struct Shape {
        int sampleRate = 0; // Hz; 0: neither rate nor block is told (info)
        int blockSize = 0;  // frames
        int inputPins = 2;  // connected pins the plug-in is told of
        int outputPins = 2;
        bool namePrograms = false; // read the program names, so scheduled program changes resolve
        long long endFrame = 0;    // the schedule's end: no change is sent at or after it
        std::FILE* log = stderr;   // where --log prints the plug-in's host requests
    };
    enum class Result { ok, failed, usage }; // failed: exit 1; usage: exit 2

    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Before any work: the automation file can be read and every file the run will write (the saved presets
    // and each path given) can be written, so a late failure never throws the work away.
    static bool checkFiles(const SessionOptions& options, std::initializer_list<const std::string*> written,
                           std::string& error);

    // The whole set-up; a message in error unless ok.
    Result open(const SessionOptions& options, const Shape& shape, std::string& error);

    HostedPlugin& plugin() noexcept { return hosted; }
    const ParameterCatalog& catalog() const noexcept { return parameters; }
    AutomationSchedule& schedule() noexcept { return *automation; }
    const std::vector<std::string>& programs() const noexcept { return programNames; }
    // Clamped values first, then the schedule's notes, one line each.
    const std::vector<std::string>& warnings() const noexcept { return notes; }
    // What --load held.
    PresetKind presetKind() const noexcept { return loadedKind; }
    // Writes --save and --save-program where given.
    bool savePresets(const SessionOptions& options, std::string& error);

    // Opens the module and creates and opens the plug-in, logging its host requests to log (null: none).
    // The loader must outlive the plug-in.
    static bool openPlugin(const std::string& modulePath, ModuleLoader& loader, HostedPlugin& plugin,
                           std::FILE* log, std::string& error);
    // Selects a program by number, else by name; false (a usage error) when there is none.
    static bool selectProgram(HostedPlugin& plugin, const std::string& program, std::string& error);
    // Sets each --param in order; a value outside its range is used clamped, with a line in warnings.
    // False (a usage error) for an unknown parameter or a value that is neither a number nor a choice.
    static bool setParameters(const SessionOptions& options, HostedPlugin& plugin,
                              const ParameterCatalog& catalog, std::vector<std::string>& warnings,
                              std::string& error);
    // Loads a preset into the plug-in: a bank replaces every program, a program the selected one. False
    // when the plug-in refuses the chunk.
    static bool loadPreset(const std::string& path, const Preset& preset, HostedPlugin& plugin,
                           std::string& error);
    // Saves the plug-in's bank, or its selected program, as a preset file.
    static bool savePreset(const std::string& path, PresetKind kind, HostedPlugin& plugin,
                           std::string& error);
    // The plug-in's program names, in order (selects each, then returns to the selected one).
    static std::vector<std::string> readProgramNames(HostedPlugin& plugin);

private:
    Result configure(const SessionOptions& options, const Shape& shape, std::string& error);

    ModuleLoader loader; // outlives the plug-in
    HostedPlugin hosted;
    ParameterCatalog parameters;
    std::vector<std::string> programNames;
    std::unique_ptr<AutomationSchedule> automation;
    std::vector<std::string> notes;
    PresetKind loadedKind = PresetKind::bank;
};

} // namespace chorus::host
