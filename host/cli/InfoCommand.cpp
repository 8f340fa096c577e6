#include "host/cli/Commands.h"
#include "host/cli/HostMessages.h"
#include "host/session/Session.h"

#include <string>
#include <vector>

namespace chorus::host {

namespace {

std::string rangeText(const ParameterInfo& info) {
    char text[96];
    std::snprintf(text, sizeof text, "%g to %g%s%s", info.minimum, info.maximum, info.unit.empty() ? "" : " ",
                  info.unit.c_str());
    return text;
}

void printDescriptor(HostedPlugin& plugin, std::FILE* out) {
    const EffectDescriptor& d = *plugin.descriptor();
    std::fprintf(out, "magic: 0x%08x '%s'\n", static_cast<unsigned>(d.magic),
                 HostMessages::fourCharacters(d.magic).c_str());
    std::fprintf(out, "id: 0x%08x '%s'\n", static_cast<unsigned>(d.pluginId),
                 HostMessages::fourCharacters(d.pluginId).c_str());
    std::fprintf(out, "version: %d\n", static_cast<int>(d.pluginVersion));
    char vendor[HostedPlugin::textCapacity] = {};
    plugin.dispatch(opVendorName, 0, 0, vendor);
    std::fprintf(out, "vendor: %s\n", vendor);
    std::fprintf(out, "programs: %d\n", static_cast<int>(d.programCount));
    std::fprintf(out, "parameters: %d\n", static_cast<int>(d.paramCount));
    std::fprintf(out, "inputs: %d\n", static_cast<int>(d.inputCount));
    std::fprintf(out, "outputs: %d\n", static_cast<int>(d.outputCount));
    std::fprintf(out, "flags: 0x%02x\n", static_cast<unsigned>(d.flags));
    std::fprintf(out, "latency: %d\n", static_cast<int>(d.latency));
    std::fprintf(out, "in-out ratio: %g\n", static_cast<double>(d.inOutRatio));
    std::fprintf(out, "category: %d\n", static_cast<int>(plugin.dispatch(opCategory)));
    std::fprintf(out, "interface version: %d\n", static_cast<int>(plugin.dispatch(opInterfaceVersion)));
}

void printParameters(HostedPlugin& plugin, const ParameterCatalog& catalog, std::FILE* out) {
    for (int32_t i = 0; i < plugin.descriptor()->paramCount; ++i) {
        const ParameterInfo& p = catalog.parameters()[static_cast<size_t>(i)];
        const std::string choices = catalog.choiceText(i);
        std::fprintf(out, "parameter %d: %s = %s %s (normalised %g; range %s%s%s)\n", static_cast<int>(i),
                     p.name.c_str(), plugin.paramDisplay(i).c_str(), p.unit.c_str(),
                     static_cast<double>(plugin.getParameter(i)), rangeText(p).c_str(),
                     choices.empty() ? "" : "; ", choices.c_str());
    }
}

} // namespace

int commands::info(const HostOptions& options, std::FILE* out, std::FILE* err) {
    std::string error;
    if (!Session::checkFiles(options, {}, error)) {
        return HostMessages::fail(err, error);
    }
    Session session;
    Session::Shape shape; // info runs nothing: no rate, no block
    if (const Session::Result result = session.open(options, shape, error); result != Session::Result::ok) {
        return HostMessages::sessionError(err, result, error);
    }
    HostMessages::warn(err, session.warnings());
    HostedPlugin& plugin = session.plugin();
    std::fprintf(out, "module: %s\n", options.modulePath.c_str());
    if (!options.loadPreset.empty()) {
        std::fprintf(out, "preset: %s (%s)\n", options.loadPreset.c_str(),
                     PresetFile::kindName(session.presetKind()));
    }
    printDescriptor(plugin, out);
    printParameters(plugin, session.catalog(), out);
    const auto current = static_cast<int32_t>(plugin.dispatch(opCurrentProgram));
    const std::vector<std::string> names = Session::readProgramNames(plugin);
    std::fprintf(out, "current program: %d\n", static_cast<int>(current));
    for (size_t p = 0; p < names.size(); ++p) {
        std::fprintf(out, "program %d: %s\n", static_cast<int>(p), names[p].c_str());
    }
    if (!session.savePresets(options, error)) {
        return HostMessages::fail(err, error);
    }
    plugin.close();
    return HostMessages::exitOk;
}

} // namespace chorus::host
