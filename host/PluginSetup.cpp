#include "host/PluginSetup.h"

#include "host/PresetFile.h"
#include "host/SafeFileWriter.h"

namespace chorus::host {

namespace {

std::vector<unsigned char> savedChunk(HostedPlugin& plugin, PresetKind kind) {
    void* data = nullptr;
    const intptr_t size = plugin.dispatch(opSaveState, kind == PresetKind::program ? 1 : 0, 0, &data);
    const auto* bytes = static_cast<const unsigned char*>(data);
    return bytes != nullptr && size > 0 ? std::vector<unsigned char>(bytes, bytes + size)
                                        : std::vector<unsigned char>{};
}

} // namespace

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

bool PluginSetup::apply(const HostOptions& options, HostedPlugin& plugin, const ParameterCatalog& catalog,
                        std::vector<std::string>& warnings, std::string& error) {
    if (!options.program.empty()) {
        int number = -1;
        if (!CommandLine::parseWhole(options.program, number)) {
            number = plugin.findProgram(options.program);
        }
        if (number < 0 || number >= plugin.descriptor()->programCount) {
            error = "no program " + options.program + " (there are " +
                    std::to_string(plugin.descriptor()->programCount) + ", numbered from 0)";
            return false;
        }
        plugin.dispatch(opSelectProgram, 0, number);
    }
    for (const auto& [name, value] : options.params) {
        ParameterValue result;
        if (!catalog.parse(name, value, result, error)) {
            error = "--param " + error;
            return false;
        }
        if (result.clamped) {
            warnings.push_back("--param " + catalog.clampWarning(name, value, result));
        }
        plugin.setParameter(result.index, result.normalised);
    }
    return true;
}

bool PluginSetup::apply(const HostOptions& options, HostedPlugin& plugin, std::string& error,
                        std::FILE* warnings) {
    ParameterCatalog catalog;
    catalog.read(plugin);
    std::vector<std::string> notes;
    const bool applied = apply(options, plugin, catalog, notes, error);
    for (const auto& note : notes) {
        std::fprintf(warnings, "chorus-host: warning: %s\n", note.c_str());
    }
    return applied;
}

bool PluginSetup::loadPreset(const std::string& path, HostedPlugin& plugin, PresetKind& kind,
                             std::string& error) {
    Preset preset;
    if (!PresetFile::read(path, preset, error)) {
        return false;
    }
    kind = preset.kind;
    // The load request always answers 0: whether the plug-in took the chunk shows in what it hands back.
    const std::vector<unsigned char> before = savedChunk(plugin, preset.kind);
    std::vector<unsigned char> chunk = preset.chunk; // the plug-in may convert the bytes in place
    plugin.dispatch(opLoadState, preset.kind == PresetKind::program ? 1 : 0,
                    static_cast<int32_t>(chunk.size()), chunk.data());
    const std::vector<unsigned char> after = savedChunk(plugin, preset.kind);
    if (after != preset.chunk && after == before) {
        error = "the plug-in refused the " + std::to_string(preset.chunk.size()) + "-byte " +
                PresetFile::kindName(preset.kind) + " chunk in " + path;
        return false;
    }
    return true;
}

bool PluginSetup::savePreset(const std::string& path, PresetKind kind, HostedPlugin& plugin,
                             std::string& error) {
    Preset preset;
    preset.kind = kind;
    preset.chunk = savedChunk(plugin, kind);
    if (preset.chunk.empty()) {
        error =
            "the plug-in gave no " + std::string(PresetFile::kindName(kind)) + " chunk to save in " + path;
        return false;
    }
    return PresetFile::write(path, preset, error);
}

bool PluginSetup::savePresets(const HostOptions& options, HostedPlugin& plugin, std::string& error) {
    return (options.saveBank.empty() || savePreset(options.saveBank, PresetKind::bank, plugin, error)) &&
           (options.saveProgram.empty() ||
            savePreset(options.saveProgram, PresetKind::program, plugin, error));
}

bool PluginSetup::checkWritable(const HostOptions& options, const std::string& output, std::string& error) {
    for (const std::string* path : {&output, &options.saveBank, &options.saveProgram, &options.screenshot}) {
        if (!path->empty() && !SafeFileWriter::check(*path, error)) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> PluginSetup::programNames(HostedPlugin& plugin) {
    std::vector<std::string> names;
    const auto current = static_cast<int32_t>(plugin.dispatch(opCurrentProgram));
    for (int32_t p = 0; p < plugin.descriptor()->programCount; ++p) {
        plugin.dispatch(opSelectProgram, 0, p);
        names.push_back(plugin.programName());
    }
    plugin.dispatch(opSelectProgram, 0, current);
    return names;
}

} // namespace chorus::host
