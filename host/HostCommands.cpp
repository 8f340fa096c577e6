#include "host/HostCommands.h"

#include "host/AudioFile.h"
#include "host/DemoSignal.h"
#include "host/HostedPlugin.h"
#include "host/ModuleLoader.h"
#include "host/PluginSetup.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace chorus::host {

namespace {

constexpr int defaultGenerateRate = 44100;    // Hz
constexpr double progressAfterSeconds = 10.0; // shorter files render without a progress line
constexpr int maxChannels = 2;
constexpr int progressStepPercent = 10;

std::string fourCharacters(int32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<uint32_t>(code) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

} // namespace

int HostCommands::fail(std::FILE* errors, const std::string& message) {
    std::fprintf(errors, "chorus-host: %s\n", message.c_str());
    return exitFailure;
}

int HostCommands::run(const HostOptions& options) {
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
    std::fprintf(err, "chorus-host: unknown command: %s\n", options.command.c_str());
    return exitUsage;
}

int HostCommands::info(const HostOptions& options) {
    ModuleLoader loader;
    HostedPlugin plugin;
    std::string error;
    if (!PluginSetup::open(options, loader, plugin, out, error)) {
        return fail(error);
    }
    const EffectDescriptor& d = *plugin.descriptor();
    char vendor[HostedPlugin::textCapacity] = {};
    plugin.dispatch(opVendorName, 0, 0, vendor);
    std::fprintf(out, "module: %s\n", options.arguments[0].c_str());
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
        std::fprintf(out, "parameter %d: %s = %s %s (normalised %g)\n", static_cast<int>(i),
                     plugin.paramName(i).c_str(), plugin.paramDisplay(i).c_str(), plugin.paramUnit(i).c_str(),
                     static_cast<double>(plugin.getParameter(i)));
    }
    const auto current = static_cast<int32_t>(plugin.dispatch(opCurrentProgram));
    for (int32_t p = 0; p < d.programCount; ++p) {
        plugin.dispatch(opSelectProgram, 0, p);
        std::fprintf(out, "program %d: %s\n", static_cast<int>(p), plugin.programName().c_str());
    }
    plugin.dispatch(opSelectProgram, 0, current);
    plugin.close();
    return exitOk;
}

int HostCommands::render(const HostOptions& options) {
    const std::string& inputPath = options.arguments[1];
    const std::string& outputPath = options.arguments[2];
    AudioFile input;
    std::string error;
    if (!input.read(inputPath, error)) {
        return fail(error);
    }
    if (input.channels > maxChannels) {
        return fail(inputPath + " has " + std::to_string(input.channels) + " channels; mono or stereo only");
    }
    const int rate = options.sampleRate > 0 ? options.sampleRate : input.sampleRate;

    ModuleLoader loader;
    HostedPlugin plugin;
    // A mono file connects one input pin: the plug-in then routes one channel into two.
    plugin.setConnectedPins(input.channels, maxChannels);
    if (!PluginSetup::open(options, loader, plugin, out, error)) {
        return fail(error);
    }
    plugin.dispatch(opSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    plugin.dispatch(opBlockSize, 0, options.blockSize);
    if (!PluginSetup::apply(options, plugin, error)) {
        return fail(error);
    }
    std::fprintf(out, "program %d: %s;", static_cast<int>(plugin.dispatch(opCurrentProgram)),
                 plugin.programName().c_str());
    for (int32_t i = 0; i < plugin.descriptor()->paramCount; ++i) {
        std::fprintf(out, " %s %s%s", plugin.paramName(i).c_str(), plugin.paramDisplay(i).c_str(),
                     plugin.paramUnit(i).c_str());
    }
    std::fprintf(out, "\n");
    plugin.dispatch(opPower, 0, 1);

    const int block = options.blockSize;
    const int outputChannels = std::max<int>(maxChannels, plugin.descriptor()->outputCount);
    const int inputChannels = std::max<int>(maxChannels, plugin.descriptor()->inputCount);
    std::vector<std::vector<float>> inputBuffers(static_cast<size_t>(inputChannels),
                                                 std::vector<float>(static_cast<size_t>(block), 0.0f));
    std::vector<std::vector<float>> outputBuffers(static_cast<size_t>(outputChannels),
                                                  std::vector<float>(static_cast<size_t>(block), 0.0f));
    std::vector<float*> inputs;
    std::vector<float*> outputs;
    for (auto& buffer : inputBuffers) {
        inputs.push_back(buffer.data());
    }
    for (auto& buffer : outputBuffers) {
        outputs.push_back(buffer.data());
    }

    AudioFile output;
    output.channels = maxChannels;
    output.sampleRate = rate;
    const long long total = input.frames();
    output.samples.assign(static_cast<size_t>(total) * maxChannels, 0.0f);
    const bool showProgress = static_cast<double>(total) > progressAfterSeconds * rate;
    int shownPercent = -1;
    for (long long done = 0; done < total;) {
        const int frames = static_cast<int>(std::min<long long>(block, total - done));
        for (int c = 0; c < input.channels; ++c) {
            for (int j = 0; j < frames; ++j) {
                inputBuffers[static_cast<size_t>(c)][static_cast<size_t>(j)] = input.sample(done + j, c);
            }
        }
        // The adding entry adds to what the host leaves in the outputs: start from silence.
        for (auto& buffer : outputBuffers) {
            std::fill(buffer.begin(), buffer.end(), 0.0f);
        }
        plugin.process(inputs.data(), outputs.data(), frames, options.replacing);
        for (int c = 0; c < maxChannels; ++c) {
            for (int j = 0; j < frames; ++j) {
                output.samples[static_cast<size_t>((done + j) * maxChannels + c)] =
                    outputBuffers[static_cast<size_t>(c)][static_cast<size_t>(j)];
            }
        }
        done += frames;
        const int percent = static_cast<int>(done * 100 / total) / progressStepPercent * progressStepPercent;
        if (showProgress && percent != shownPercent) {
            shownPercent = percent;
            std::fprintf(err, "\rrendering %3d%%", percent);
            std::fflush(err);
        }
    }
    if (showProgress) {
        std::fprintf(err, "\n");
    }
    plugin.dispatch(opPower, 0, 0);
    plugin.close();
    if (!output.write(outputPath, error)) {
        return fail(error);
    }
    std::fprintf(out, "rendered %lld frames at %d Hz from %d channel%s to %s\n", total, rate, input.channels,
                 input.channels == 1 ? "" : "s", outputPath.c_str());
    return exitOk;
}

int HostCommands::generate(const HostOptions& options) {
    const int rate = options.sampleRate > 0 ? options.sampleRate : defaultGenerateRate;
    AudioFile signal = DemoSignal::generate(rate, options.seconds.value_or(DemoSignal::defaultSeconds));
    if (options.channels == 1) {
        signal = DemoSignal::toMono(signal);
    }
    std::string error;
    if (!signal.write(options.arguments[0], error)) {
        return fail(error);
    }
    std::fprintf(out, "wrote %lld frames of the demo signal at %d Hz to %s\n", signal.frames(), rate,
                 options.arguments[0].c_str());
    return exitOk;
}

int HostCommands::compare(const HostOptions& options) {
    AudioFile a;
    AudioFile b;
    std::string error;
    if (!a.read(options.arguments[0], error) || !b.read(options.arguments[1], error)) {
        return fail(error);
    }
    if (a.channels != b.channels || a.sampleRate != b.sampleRate || a.frames() != b.frames()) {
        std::fprintf(out, "different shape: %d ch %d Hz %lld frames vs %d ch %d Hz %lld frames\n", a.channels,
                     a.sampleRate, a.frames(), b.channels, b.sampleRate, b.frames());
        return exitDifferent;
    }
    double largest = 0.0;
    for (size_t i = 0; i < a.samples.size(); ++i) {
        const double difference =
            std::fabs(static_cast<double>(a.samples[i]) - static_cast<double>(b.samples[i]));
        if (!(difference <= largest)) {
            largest = difference; // NaN differences count as the largest
        }
    }
    std::fprintf(out, "max abs difference: %.9g\n", largest);
    return largest <= options.tolerance ? exitOk : exitDifferent;
}

} // namespace chorus::host
