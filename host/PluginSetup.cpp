#include "host/PluginSetup.h"

namespace chorus::host {

bool PluginSetup::open(const HostOptions& options, ModuleLoader& loader, HostedPlugin& plugin, std::FILE* log,
                       std::string& error) {
    if (!loader.load(options.arguments[0], error)) {
        return false;
    }
    plugin.setLog(options.log ? log : nullptr);
    if (!plugin.create(loader.entry(), error)) {
        return false;
    }
    plugin.dispatch(opOpen);
    return true;
}

bool PluginSetup::apply(const HostOptions& options, HostedPlugin& plugin, std::string& error) {
    if (!options.program.empty()) {
        int number = -1;
        if (!CommandLine::parseWhole(options.program, number)) {
            number = plugin.findProgram(options.program);
        }
        if (number < 0 || number >= plugin.descriptor()->programCount) {
            error = "no program " + options.program;
            return false;
        }
        plugin.dispatch(opSelectProgram, 0, number);
    }
    for (const auto& [name, value] : options.params) {
        const int32_t index = plugin.findParameter(name);
        if (index < 0) {
            error = "no parameter named " + name;
            return false;
        }
        plugin.setParameterFromText(index, value);
    }
    return true;
}

} // namespace chorus::host
