#pragma once

#include "host/CommandLine.h"
#include "host/HostedPlugin.h"
#include "host/ModuleLoader.h"
#include "host/ParameterCatalog.h"
#include "host/PresetFile.h"

#include <cstdio>
#include <string>
#include <vector>

namespace chorus::host {

// The steps every command that hosts a plug-in shares; each answers false with a message in error.
class PluginSetup {
public:
    // Loads the module named by the first argument, creates the plug-in (logging its host requests to log
    // when --log was given) and opens it. The loader must outlive the plug-in.
    static bool open(const HostOptions& options, ModuleLoader& loader, HostedPlugin& plugin, std::FILE* log,
                     std::string& error);
    // Selects --program (a number, else a name), then sets each --param, in order. A value outside its
    // parameter's range is used clamped, with a warning line in warnings. False (a usage error) for an
    // unknown program or parameter or a value that is neither a number nor a choice name.
    static bool apply(const HostOptions& options, HostedPlugin& plugin, const ParameterCatalog& catalog,
                      std::vector<std::string>& warnings, std::string& error);
    // The same, reading the catalog itself and printing warnings as "chorus-host: warning: ..." lines.
    static bool apply(const HostOptions& options, HostedPlugin& plugin, std::string& error,
                      std::FILE* warnings = stderr);

    // Loads a preset file into the plug-in: a bank replaces every program, a program the selected one.
    // False when the file is damaged or the plug-in refuses the chunk; kind tells which it was.
    static bool loadPreset(const std::string& path, HostedPlugin& plugin, PresetKind& kind,
                           std::string& error);
    // Saves the plug-in's bank, or its selected program, as a preset file.
    static bool savePreset(const std::string& path, PresetKind kind, HostedPlugin& plugin,
                           std::string& error);
    // Saves the bank and the program where the options ask for them (--save, --save-program).
    static bool savePresets(const HostOptions& options, HostedPlugin& plugin, std::string& error);
    // Before any work: whether every file the run will write (output, --save, --save-program, --screenshot)
    // can be written, so a late failure never throws the work away.
    static bool checkWritable(const HostOptions& options, const std::string& output, std::string& error);
    // The plug-in's program names, in order (selects each, then returns to the selected one).
    static std::vector<std::string> programNames(HostedPlugin& plugin);
};

} // namespace chorus::host
