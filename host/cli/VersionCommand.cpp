#include "host/cli/Commands.h"
#include "host/cli/HostMessages.h"
#include "host/session/HostedPlugin.h"
#include "host/session/ModuleLoader.h"
#include "host/session/Session.h"

#ifndef CHORUS_HOST_VERSION
#define CHORUS_HOST_VERSION "unknown"
#endif

namespace chorus::host {

int commands::version(const HostOptions& options, std::FILE* out, std::FILE* err) {
    std::fprintf(out, "chorus-host %s (%s)\n", CHORUS_HOST_VERSION, CHORUS_BUILD_KIND);
    if (options.arguments.empty()) {
        return HostMessages::exitOk;
    }
    ModuleLoader loader;
    HostedPlugin plugin;
    std::string error;
    if (!Session::openPlugin(options.modulePath, loader, plugin, options.log ? err : nullptr, error)) {
        return HostMessages::fail(err, error);
    }
    char vendor[HostedPlugin::textCapacity] = {};
    plugin.dispatch(opVendorName, 0, 0, vendor);
    std::fprintf(out, "module %s: version %d, '%s' by %s\n", options.modulePath.c_str(),
                 static_cast<int>(plugin.descriptor()->pluginVersion),
                 HostMessages::fourCharacters(plugin.descriptor()->pluginId).c_str(), vendor);
    return HostMessages::exitOk;
}

} // namespace chorus::host
