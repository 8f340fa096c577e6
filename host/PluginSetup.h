#pragma once

#include "host/CommandLine.h"
#include "host/HostedPlugin.h"
#include "host/ModuleLoader.h"

#include <cstdio>
#include <string>

namespace chorus::host {

// The steps every command that hosts a plug-in shares; each answers false with a message in error.
class PluginSetup {
public:
    // Loads the module named by the first argument, creates the plug-in (logging its host requests to log
    // when --log was given) and opens it. The loader must outlive the plug-in.
    static bool open(const HostOptions& options, ModuleLoader& loader, HostedPlugin& plugin, std::FILE* log,
                     std::string& error);
    // Selects --program (a number, else a name), then sets each --param from its text, in order.
    static bool apply(const HostOptions& options, HostedPlugin& plugin, std::string& error);
};

} // namespace chorus::host
