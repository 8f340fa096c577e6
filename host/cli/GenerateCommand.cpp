#include "host/audio/DemoSignal.h"
#include "host/audio/DemoSignalStream.h"
#include "host/audio/WavWriter.h"
#include "host/cli/Commands.h"
#include "host/cli/HostMessages.h"

#include <algorithm>
#include <string>
#include <vector>

namespace chorus::host {

namespace {

constexpr int defaultGenerateRate = 44100; // Hz
constexpr int generateBlockFrames = 65536;

} // namespace

int commands::generate(const HostOptions& options, std::FILE* /*out*/, std::FILE* err) {
    const int rate = options.sampleRate > 0 ? options.sampleRate : defaultGenerateRate;
    DemoSignalStream signal(rate, options.seconds.value_or(DemoSignal::defaultSeconds));
    const auto channels = static_cast<size_t>(options.channels);
    if (!WavWriter::fits(signal.frames(), options.channels, options.format)) {
        return HostMessages::fail(err, "cannot write " + options.arguments[0] + ": " +
                                           std::to_string(signal.frames()) +
                                           " frames do not fit the 4 GB of a WAV file");
    }
    std::string error;
    WavWriter writer;
    if (!writer.open(options.arguments[0], options.channels, rate, options.format, error)) {
        return HostMessages::fail(err, error);
    }
    std::vector<float> stereo(generateBlockFrames * 2);
    std::vector<float> block(generateBlockFrames * channels);
    for (long long done = 0; done < signal.frames();) {
        const int frames = static_cast<int>(std::min<long long>(generateBlockFrames, signal.frames() - done));
        if (!signal.read(stereo.data(), frames, error)) {
            return HostMessages::fail(err, error);
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
            return HostMessages::fail(err, error);
        }
        done += frames;
    }
    if (!writer.finish(error)) {
        return HostMessages::fail(err, error);
    }
    if (!options.quiet) {
        std::fprintf(err, "wrote %lld frames of the demo signal at %d Hz to %s\n", signal.frames(), rate,
                     options.arguments[0].c_str());
    }
    return HostMessages::exitOk;
}

} // namespace chorus::host
