#include "host/session/Session.h"

#include "host/audio/SafeFileWriter.h"
#include "host/session/NumberText.h"

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

bool Session::checkFiles(const SessionOptions& options, std::initializer_list<const std::string*> written,
                         std::string& error) {
    if (!AutomationSchedule::fileReadable(options, error)) {
        return false;
    }
    for (const std::string* path : {&options.saveBank, &options.saveProgram}) {
        if (!path->empty() && !SafeFileWriter::check(*path, error)) {
            return false;
        }
    }
    for (const std::string* path : written) {
        if (!path->empty() && !SafeFileWriter::check(*path, error)) {
            return false;
        }
    }
    return true;
}

Session::Result Session::open(const SessionOptions& options, const Shape& shape, std::string& error) {
    hosted.setConnectedPins(shape.inputPins, shape.outputPins);
    if (!openPlugin(options.modulePath, loader, hosted, options.log ? shape.log : nullptr, error)) {
        return Result::failed;
    }
    if (shape.sampleRate > 0) {
        hosted.dispatch(opSampleRate, 0, 0, nullptr, static_cast<float>(shape.sampleRate));
        hosted.dispatch(opBlockSize, 0, shape.blockSize);
    }
    parameters.read(hosted);
    return configure(options, shape, error);
}

// The order is the one a user reads: a bank holds the programs --program picks from, a program preset
// fills the program picked, and --param has the last word before the scheduled changes.
Session::Result Session::configure(const SessionOptions& options, const Shape& shape, std::string& error) {
    Preset preset;
    if (!options.loadPreset.empty()) {
        if (!PresetFile::read(options.loadPreset, preset, error)) {
            return Result::failed;
        }
        loadedKind = preset.kind;
    }
    const bool bank = !options.loadPreset.empty() && preset.kind == PresetKind::bank;
    if (bank && !loadPreset(options.loadPreset, preset, hosted, error)) {
        return Result::failed;
    }
    if (bank && preset.selectedProgram >= 0 && preset.selectedProgram < hosted.descriptor()->programCount) {
        hosted.dispatch(opSelectProgram, 0, preset.selectedProgram);
    }
    if (!options.program.empty() && !selectProgram(hosted, options.program, error)) {
        return Result::usage;
    }
    if (!options.loadPreset.empty() && !bank && !loadPreset(options.loadPreset, preset, hosted, error)) {
        return Result::failed;
    }
    if (!setParameters(options, hosted, parameters, notes, error)) {
        return Result::usage;
    }
    if (shape.namePrograms) {
        programNames = readProgramNames(hosted);
    }
    automation = std::make_unique<AutomationSchedule>(parameters, programNames, shape.sampleRate);
    if (!automation->addOptions(options, error)) {
        return Result::usage;
    }
    automation->start(shape.endFrame);
    notes.insert(notes.end(), automation->warnings().begin(), automation->warnings().end());
    return Result::ok;
}

bool Session::savePresets(const SessionOptions& options, std::string& error) {
    return (options.saveBank.empty() || savePreset(options.saveBank, PresetKind::bank, hosted, error)) &&
           (options.saveProgram.empty() ||
            savePreset(options.saveProgram, PresetKind::program, hosted, error));
}

bool Session::openPlugin(const std::string& modulePath, ModuleLoader& loader, HostedPlugin& plugin,
                         std::FILE* log, std::string& error) {
    if (!loader.load(modulePath, error)) {
        return false;
    }
    plugin.setLog(log);
    if (!plugin.create(loader.entry(), error)) {
        return false;
    }
    plugin.dispatch(opOpen);
    return true;
}

bool Session::selectProgram(HostedPlugin& plugin, const std::string& program, std::string& error) {
    int number = -1;
    if (!NumberText::parseWhole(program, number)) {
        number = plugin.findProgram(program);
    }
    if (number < 0 || number >= plugin.descriptor()->programCount) {
        error = "no program " + program + " (there are " + std::to_string(plugin.descriptor()->programCount) +
                ", numbered from 0)";
        return false;
    }
    plugin.dispatch(opSelectProgram, 0, number);
    return true;
}

bool Session::setParameters(const SessionOptions& options, HostedPlugin& plugin,
                            const ParameterCatalog& catalog, std::vector<std::string>& warnings,
                            std::string& error) {
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

bool Session::loadPreset(const std::string& path, const Preset& preset, HostedPlugin& plugin,
                         std::string& error) {
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

bool Session::savePreset(const std::string& path, PresetKind kind, HostedPlugin& plugin, std::string& error) {
    Preset preset;
    preset.kind = kind;
    preset.chunk = savedChunk(plugin, kind);
    preset.selectedProgram = static_cast<int>(plugin.dispatch(opCurrentProgram));
    if (preset.chunk.empty()) {
        error =
            "the plug-in gave no " + std::string(PresetFile::kindName(kind)) + " chunk to save in " + path;
        return false;
    }
    return PresetFile::write(path, preset, error);
}

std::vector<std::string> Session::readProgramNames(HostedPlugin& plugin) {
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
