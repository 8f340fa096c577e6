#include "host/HostCommands.h"

#include "host/AudioReader.h"
#include "host/AutomationSchedule.h"
#include "host/DemoSignal.h"
#include "host/DemoSignalStream.h"
#include "host/HostedPlugin.h"
#include "host/ModuleLoader.h"
#include "host/ParameterCatalog.h"
#include "host/PeakMemory.h"
#include "host/PluginSetup.h"
#include "host/StreamRenderer.h"
#include "host/WavWriter.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#ifndef CHORUS_HOST_VERSION
#define CHORUS_HOST_VERSION "unknown"
#endif

namespace chorus::host {

namespace {

constexpr int defaultGenerateRate = 44100; // Hz
constexpr int maxInputChannels = 2;
constexpr int compareBlockFrames = 65536;
constexpr int generateBlockFrames = 65536;
constexpr double bytesPerMegabyte = 1024.0 * 1024.0;

std::string fourCharacters(int32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<uint32_t>(code) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

// Both name one file, also through links or different spellings of the path. "-" is a stream, not a file:
// as input it is standard input, as output standard output.
bool sameFile(const std::string& a, const std::string& b) {
    if (a == "-" || b == "-") {
        return false;
    }
    std::error_code code;
    if (std::filesystem::equivalent(a, b, code)) {
        return true;
    }
    const auto canonicalA = std::filesystem::weakly_canonical(a, code);
    const auto canonicalB = std::filesystem::weakly_canonical(b, code);
    return !code && canonicalA == canonicalB;
}

std::string rangeText(const ParameterInfo& info) {
    char text[96];
    std::snprintf(text, sizeof text, "%g to %g%s%s", info.minimum, info.maximum, info.unit.empty() ? "" : " ",
                  info.unit.c_str());
    return text;
}

} // namespace

int HostCommands::fail(std::FILE* errors, const std::string& message) {
    std::fprintf(errors, "chorus-host: %s\n", message.c_str());
    return exitFailure;
}

int HostCommands::usageError(std::FILE* errors, const std::string& message) {
    std::fprintf(errors, "chorus-host: %s\n", message.c_str());
    return exitUsage;
}

void HostCommands::warn(std::FILE* errors, const std::string& message) {
    std::fprintf(errors, "chorus-host: warning: %s\n", message.c_str());
}

int HostCommands::run(const HostOptions& options) {
    if (options.command == "help") {
        std::fputs(CommandLine::usage().c_str(), out);
        return exitOk;
    }
    if (options.command == "version") {
        return version(options);
    }
    if (options.command == "info") {
        return info(options);
    }
    if (options.command == "render") {
        return render(options);
    }
    if (options.command == "generate") {
        return generate(options);
    }
    if (options.command == "compare") {
        return compare(options);
    }
    return usageError("unknown command: " + options.command);
}

int HostCommands::version(const HostOptions& options) {
    std::fprintf(out, "chorus-host %s (%s)\n", CHORUS_HOST_VERSION, CHORUS_BUILD_KIND);
    if (options.arguments.empty()) {
        return exitOk;
    }
    ModuleLoader loader;
    HostedPlugin plugin;
    std::string error;
    if (!PluginSetup::open(options, loader, plugin, err, error)) {
        return fail(error);
    }
    char vendor[HostedPlugin::textCapacity] = {};
    plugin.dispatch(opVendorName, 0, 0, vendor);
    std::fprintf(out, "module %s: version %d, '%s' by %s\n", options.arguments[0].c_str(),
                 static_cast<int>(plugin.descriptor()->pluginVersion),
                 fourCharacters(plugin.descriptor()->pluginId).c_str(), vendor);
    return exitOk;
}

int HostCommands::info(const HostOptions& options) {
    ModuleLoader loader;
    HostedPlugin plugin;
    std::string error;
    if (!PluginSetup::checkWritable(options, {}, error) ||
        !PluginSetup::open(options, loader, plugin, err, error)) {
        return fail(error);
    }
    ParameterCatalog catalog;
    catalog.read(plugin);
    PresetKind kind = PresetKind::bank;
    if (!options.loadPreset.empty() && !PluginSetup::loadPreset(options.loadPreset, plugin, kind, error)) {
        return fail(error);
    }
    std::vector<std::string> warnings;
    if (!PluginSetup::apply(options, plugin, catalog, warnings, error)) {
        return usageError(error);
    }
    for (const auto& warning : warnings) {
        warn(warning);
    }
    const EffectDescriptor& d = *plugin.descriptor();
    char vendor[HostedPlugin::textCapacity] = {};
    plugin.dispatch(opVendorName, 0, 0, vendor);
    std::fprintf(out, "module: %s\n", options.arguments[0].c_str());
    if (!options.loadPreset.empty()) {
        std::fprintf(out, "preset: %s (%s)\n", options.loadPreset.c_str(), PresetFile::kindName(kind));
    }
    std::fprintf(out, "magic: 0x%08x '%s'\n", static_cast<unsigned>(d.magic),
                 fourCharacters(d.magic).c_str());
    std::fprintf(out, "id: 0x%08x '%s'\n", static_cast<unsigned>(d.pluginId),
                 fourCharacters(d.pluginId).c_str());
    std::fprintf(out, "version: %d\n", static_cast<int>(d.pluginVersion));
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
    for (int32_t i = 0; i < d.paramCount; ++i) {
        const ParameterInfo& p = catalog.parameters()[static_cast<size_t>(i)];
        const std::string choices = catalog.choiceText(i);
        std::fprintf(out, "parameter %d: %s = %s %s (normalised %g; range %s%s%s)\n", static_cast<int>(i),
                     p.name.c_str(), plugin.paramDisplay(i).c_str(), p.unit.c_str(),
                     static_cast<double>(plugin.getParameter(i)), rangeText(p).c_str(),
                     choices.empty() ? "" : "; ", choices.c_str());
    }
    const auto current = static_cast<int32_t>(plugin.dispatch(opCurrentProgram));
    const std::vector<std::string> names = PluginSetup::programNames(plugin);
    std::fprintf(out, "current program: %d\n", static_cast<int>(current));
    for (size_t p = 0; p < names.size(); ++p) {
        std::fprintf(out, "program %d: %s\n", static_cast<int>(p), names[p].c_str());
    }
    if (!PluginSetup::savePresets(options, plugin, error)) {
        return fail(error);
    }
    plugin.close();
    return exitOk;
}

int HostCommands::render(const HostOptions& options) {
    const std::string& inputPath = options.arguments[1];
    const std::string& outputPath = options.arguments[2];
    for (const std::string* written : {&outputPath, &options.saveBank, &options.saveProgram}) {
        if (!written->empty() && sameFile(inputPath, *written)) {
            return usageError(*written + " is the input file: choose another name for what is written");
        }
    }
    for (const std::string* saved : {&options.saveBank, &options.saveProgram}) {
        if (!saved->empty() && (sameFile(outputPath, *saved) || (outputPath == "-" && *saved == "-"))) {
            return usageError("the output and the saved preset are one file: " + outputPath);
        }
    }
    std::string error;
    const std::unique_ptr<AudioReader> input = AudioReader::open(inputPath, error);
    if (!input) {
        return fail(error);
    }
    if (input->channels() > maxInputChannels) {
        return fail(inputPath + " has " + std::to_string(input->channels()) +
                    " channels; mono or stereo only");
    }
    const int rate = input->sampleRate();
    if (rate < CommandLine::minSampleRate || rate > CommandLine::maxSampleRate) {
        return fail(inputPath + " is at " + std::to_string(rate) +
                    " Hz; rates from 8000 to 768000 Hz are rendered");
    }
    if (!AutomationSchedule::fileReadable(options, error) ||
        !PluginSetup::checkWritable(options, outputPath, error)) {
        return fail(error);
    }

    ModuleLoader loader;
    HostedPlugin plugin;
    // A mono file connects one input pin: the plug-in then routes one channel into two.
    plugin.setConnectedPins(input->channels(), StreamRenderer::outputChannels);
    if (!PluginSetup::open(options, loader, plugin, err, error)) {
        return fail(error);
    }
    plugin.dispatch(opSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    plugin.dispatch(opBlockSize, 0, options.blockSize);
    ParameterCatalog catalog;
    catalog.read(plugin);
    // A bank is loaded before --program picks from it; a program preset fills the program picked.
    Preset preset;
    if (!options.loadPreset.empty() && !PresetFile::read(options.loadPreset, preset, error)) {
        return fail(error);
    }
    PresetKind kind = preset.kind;
    if (!options.loadPreset.empty() && preset.kind == PresetKind::bank &&
        !PluginSetup::loadPreset(options.loadPreset, plugin, kind, error)) {
        return fail(error);
    }
    HostOptions programOnly = options;
    programOnly.params.clear();
    std::vector<std::string> warnings;
    if (!PluginSetup::apply(programOnly, plugin, catalog, warnings, error)) {
        return usageError(error);
    }
    if (!options.loadPreset.empty() && preset.kind == PresetKind::program &&
        !PluginSetup::loadPreset(options.loadPreset, plugin, kind, error)) {
        return fail(error);
    }
    HostOptions paramsOnly = options;
    paramsOnly.program.clear();
    if (!PluginSetup::apply(paramsOnly, plugin, catalog, warnings, error)) {
        return usageError(error);
    }
    AutomationSchedule schedule(catalog, PluginSetup::programNames(plugin), rate);
    if (!schedule.addOptions(options, error)) {
        return usageError(error);
    }
    schedule.start(input->frames());
    for (const auto& warning : warnings) {
        warn(warning);
    }
    for (const auto& warning : schedule.warnings()) {
        warn(warning);
    }
    if (!options.quiet) {
        std::fprintf(err, "program %d: %s;", static_cast<int>(plugin.dispatch(opCurrentProgram)),
                     plugin.programName().c_str());
        for (int32_t i = 0; i < plugin.descriptor()->paramCount; ++i) {
            std::fprintf(err, " %s %s%s", plugin.paramName(i).c_str(), plugin.paramDisplay(i).c_str(),
                         plugin.paramUnit(i).c_str());
        }
        std::fprintf(err, "\n");
    }

    if (!WavWriter::fits(input->frames(), StreamRenderer::outputChannels, options.format)) {
        return fail("cannot write " + outputPath + ": " + std::to_string(input->frames()) +
                    " frames do not fit the 4 GB of a WAV file (--format s16 or s24 may)");
    }
    WavWriter output;
    if (!output.open(outputPath, StreamRenderer::outputChannels, rate, options.format, error)) {
        return fail(error);
    }
    plugin.dispatch(opPower, 0, 1);
    StreamRenderer renderer(plugin, schedule, catalog);
    StreamRenderer::Settings settings;
    settings.blockSize = options.blockSize;
    settings.replacing = options.replacing;
    settings.progress = options.quiet ? nullptr : err;
    settings.log = options.log ? err : nullptr;
    if (!renderer.run(*input, output, settings, error)) {
        return fail(error); // the writer discards its temporary file: nothing is left behind
    }
    plugin.dispatch(opPower, 0, 0);
    if (!output.finish(error)) {
        return fail(error);
    }
    if (!PluginSetup::savePresets(options, plugin, error)) {
        return fail(error);
    }
    plugin.close();
    if (!options.quiet) {
        std::fprintf(err, "rendered %lld frames at %d Hz from %d channel%s to %s (%s)\n", input->frames(),
                     rate, input->channels(), input->channels() == 1 ? "" : "s", outputPath.c_str(),
                     WavWriter::formatName(options.format));
    }
    if (options.log) {
        std::fprintf(err, "peak memory: %.1f MB\n",
                     static_cast<double>(PeakMemory::residentBytes()) / bytesPerMegabyte);
    }
    return exitOk;
}

int HostCommands::generate(const HostOptions& options) {
    const int rate = options.sampleRate > 0 ? options.sampleRate : defaultGenerateRate;
    DemoSignalStream signal(rate, options.seconds.value_or(DemoSignal::defaultSeconds));
    const auto channels = static_cast<size_t>(options.channels);
    if (!WavWriter::fits(signal.frames(), options.channels, options.format)) {
        return fail("cannot write " + options.arguments[0] + ": " + std::to_string(signal.frames()) +
                    " frames do not fit the 4 GB of a WAV file");
    }
    std::string error;
    WavWriter writer;
    if (!writer.open(options.arguments[0], options.channels, rate, options.format, error)) {
        return fail(error);
    }
    std::vector<float> stereo(generateBlockFrames * 2);
    std::vector<float> block(generateBlockFrames * channels);
    for (long long done = 0; done < signal.frames();) {
        const int frames = static_cast<int>(std::min<long long>(generateBlockFrames, signal.frames() - done));
        if (!signal.read(stereo.data(), frames, error)) {
            return fail(error);
        }
        for (size_t f = 0; f < static_cast<size_t>(frames); ++f) {
            if (channels == 1) {
                float sum = 0.0f; // the same sum, in the same order, as the whole-file mono mix
                sum += stereo[2 * f];
                sum += stereo[2 * f + 1];
                block[f] = sum / 2.0f;
            } else {
                block[2 * f] = stereo[2 * f];
                block[2 * f + 1] = stereo[2 * f + 1];
            }
        }
        if (!writer.write(block.data(), frames, error)) {
            return fail(error);
        }
        done += frames;
    }
    if (!writer.finish(error)) {
        return fail(error);
    }
    if (!options.quiet) {
        std::fprintf(err, "wrote %lld frames of the demo signal at %d Hz to %s\n", signal.frames(), rate,
                     options.arguments[0].c_str());
    }
    return exitOk;
}

int HostCommands::compare(const HostOptions& options) {
    std::string error;
    const std::unique_ptr<AudioReader> a = AudioReader::open(options.arguments[0], error);
    if (!a) {
        return fail(error);
    }
    const std::unique_ptr<AudioReader> b = AudioReader::open(options.arguments[1], error);
    if (!b) {
        return fail(error);
    }
    if (a->channels() != b->channels() || a->sampleRate() != b->sampleRate() || a->frames() != b->frames()) {
        std::fprintf(out, "different shape: %d ch %d Hz %lld frames vs %d ch %d Hz %lld frames\n",
                     a->channels(), a->sampleRate(), a->frames(), b->channels(), b->sampleRate(),
                     b->frames());
        return exitDifferent;
    }
    const auto channels = static_cast<size_t>(a->channels());
    std::vector<float> blockA(compareBlockFrames * channels);
    std::vector<float> blockB(compareBlockFrames * channels);
    double largest = 0.0;
    long long notNumbers = 0; // a NaN on either side is a difference no tolerance covers
    for (long long done = 0; done < a->frames();) {
        const int frames = static_cast<int>(std::min<long long>(compareBlockFrames, a->frames() - done));
        if (!a->read(blockA.data(), frames, error) || !b->read(blockB.data(), frames, error)) {
            return fail(error);
        }
        for (size_t i = 0; i < static_cast<size_t>(frames) * channels; ++i) {
            const double difference =
                std::fabs(static_cast<double>(blockA[i]) - static_cast<double>(blockB[i]));
            if (std::isnan(difference)) {
                ++notNumbers;
            } else {
                largest = std::max(largest, difference);
            }
        }
        done += frames;
    }
    std::fprintf(out, "max abs difference: %.9g\n", notNumbers > 0 ? std::nan("") : largest);
    if (notNumbers > 0) {
        std::fprintf(out, "samples that are not numbers on one side or both: %lld\n", notNumbers);
    }
    return notNumbers == 0 && largest <= options.tolerance ? exitOk : exitDifferent;
}

} // namespace chorus::host
