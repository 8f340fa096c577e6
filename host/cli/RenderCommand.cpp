#include "host/audio/AudioReader.h"
#include "host/audio/WavWriter.h"
#include "host/cli/Commands.h"
#include "host/cli/HostMessages.h"
#include "host/cli/PeakMemory.h"
#include "host/session/Session.h"
#include "host/session/StreamRenderer.h"

#include <filesystem>
#include <memory>
#include <string>

namespace chorus::host {

namespace {

constexpr int maxInputChannels = 2;
constexpr double bytesPerMegabyte = 1024.0 * 1024.0;

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

// Nothing written may be the input, and the output and a saved preset may not be one file.
bool pathsDistinct(const HostOptions& options, std::string& error) {
    const std::string& inputPath = options.arguments[1];
    const std::string& outputPath = options.arguments[2];
    for (const std::string* written : {&outputPath, &options.saveBank, &options.saveProgram}) {
        if (!written->empty() && sameFile(inputPath, *written)) {
            error = *written + " is the input file: choose another name for what is written";
            return false;
        }
    }
    for (const std::string* saved : {&options.saveBank, &options.saveProgram}) {
        if (!saved->empty() && (sameFile(outputPath, *saved) || (outputPath == "-" && *saved == "-"))) {
            error = "the output and the saved preset are one file: " + outputPath;
            return false;
        }
    }
    return true;
}

// Mono or stereo at a rate the plug-in takes.
bool inputFits(const std::string& path, const AudioReader& input, std::string& error) {
    if (input.channels() > maxInputChannels) {
        error = path + " has " + std::to_string(input.channels()) + " channels; mono or stereo only";
        return false;
    }
    const int rate = input.sampleRate();
    if (rate < CommandLine::minSampleRate || rate > CommandLine::maxSampleRate) {
        error = path + " is at " + std::to_string(rate) + " Hz; rates from 8000 to 768000 Hz are rendered";
        return false;
    }
    return true;
}

// "program 0: Default; Mix 50% ...": what the render starts from.
void printStart(HostedPlugin& plugin, std::FILE* err) {
    std::fprintf(err, "program %d: %s;", static_cast<int>(plugin.dispatch(opCurrentProgram)),
                 plugin.programName().c_str());
    for (int32_t i = 0; i < plugin.descriptor()->paramCount; ++i) {
        std::fprintf(err, " %s %s%s", plugin.paramName(i).c_str(), plugin.paramDisplay(i).c_str(),
                     plugin.paramUnit(i).c_str());
    }
    std::fprintf(err, "\n");
}

} // namespace

int commands::render(const HostOptions& options, std::FILE* /*out*/, std::FILE* err) {
    const std::string& inputPath = options.arguments[1];
    const std::string& outputPath = options.arguments[2];
    std::string error;
    if (!pathsDistinct(options, error)) {
        return HostMessages::usageError(err, error);
    }
    const std::unique_ptr<AudioReader> input = AudioReader::open(inputPath, error);
    if (!input || !inputFits(inputPath, *input, error) ||
        !Session::checkFiles(options, {&outputPath}, error)) {
        return HostMessages::fail(err, error);
    }
    Session session;
    Session::Shape shape;
    shape.sampleRate = input->sampleRate();
    shape.blockSize = options.blockSize;
    // A mono file connects one input pin: the plug-in then routes one channel into two.
    shape.inputPins = input->channels();
    shape.outputPins = StreamRenderer::outputChannels;
    shape.namePrograms = true;
    shape.endFrame = input->frames();
    if (const Session::Result result = session.open(options, shape, error); result != Session::Result::ok) {
        return HostMessages::sessionError(err, result, error);
    }
    HostMessages::warn(err, session.warnings());
    HostedPlugin& plugin = session.plugin();
    if (!options.quiet) {
        printStart(plugin, err);
    }
    if (!WavWriter::fits(input->frames(), StreamRenderer::outputChannels, options.format)) {
        return HostMessages::fail(err,
                                  "cannot write " + outputPath + ": " + std::to_string(input->frames()) +
                                      " frames do not fit the 4 GB of a WAV file (--format s16 or s24 may)");
    }
    WavWriter output;
    if (!output.open(outputPath, StreamRenderer::outputChannels, shape.sampleRate, options.format, error)) {
        return HostMessages::fail(err, error);
    }
    plugin.dispatch(opPower, 0, 1);
    StreamRenderer renderer(plugin, session.schedule(), session.catalog());
    StreamRenderer::Settings settings;
    settings.blockSize = options.blockSize;
    settings.replacing = options.replacing;
    settings.progress = options.quiet ? nullptr : err;
    settings.log = options.log ? err : nullptr;
    if (!renderer.run(*input, output, settings, error)) {
        return HostMessages::fail(err,
                                  error); // the writer discards its temporary file: nothing is left behind
    }
    plugin.dispatch(opPower, 0, 0);
    if (!output.finish(error) || !session.savePresets(options, error)) {
        return HostMessages::fail(err, error);
    }
    plugin.close();
    const bool integer = options.format != SampleFormat::f32;
    if (output.clippedSamples() > 0) {
        HostMessages::warn(err, std::to_string(output.clippedSamples()) +
                                    " samples clipped: " + WavWriter::formatName(options.format) +
                                    " holds nothing above full scale (f32 does)");
    }
    if (!options.quiet) {
        std::fprintf(err, "rendered %lld frames at %d Hz from %d channel%s to %s (%s), peak %s",
                     input->frames(), shape.sampleRate, input->channels(), input->channels() == 1 ? "" : "s",
                     outputPath.c_str(), WavWriter::formatName(options.format),
                     HostMessages::decibels(output.peak()).c_str());
        if (integer) {
            std::fprintf(err, ", %lld clipped", output.clippedSamples());
        }
        std::fprintf(err, "\n");
    }
    if (options.log) {
        std::fprintf(err, "peak memory: %.1f MB\n",
                     static_cast<double>(PeakMemory::residentBytes()) / bytesPerMegabyte);
    }
    return HostMessages::exitOk;
}

} // namespace chorus::host
