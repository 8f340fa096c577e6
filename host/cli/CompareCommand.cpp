#include "host/audio/AudioReader.h"
#include "host/cli/Commands.h"
#include "host/cli/HostMessages.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

namespace chorus::host {

namespace {

constexpr int compareBlockFrames = 65536;

} // namespace

int commands::compare(const HostOptions& options, std::FILE* out, std::FILE* err) {
    std::string error;
    const std::unique_ptr<AudioReader> a = AudioReader::open(options.arguments[0], error);
    if (!a) {
        return HostMessages::fail(err, error);
    }
    const std::unique_ptr<AudioReader> b = AudioReader::open(options.arguments[1], error);
    if (!b) {
        return HostMessages::fail(err, error);
    }
    if (a->channels() != b->channels() || a->sampleRate() != b->sampleRate() || a->frames() != b->frames()) {
        std::fprintf(out, "different shape: %d ch %d Hz %lld frames vs %d ch %d Hz %lld frames\n",
                     a->channels(), a->sampleRate(), a->frames(), b->channels(), b->sampleRate(),
                     b->frames());
        return HostMessages::exitDifferent;
    }
    const auto channels = static_cast<size_t>(a->channels());
    std::vector<float> blockA(compareBlockFrames * channels);
    std::vector<float> blockB(compareBlockFrames * channels);
    double largest = 0.0;
    long long largestAt = 0;  // sample index, frame times channels plus channel
    long long notNumbers = 0; // a NaN on either side is a difference no tolerance covers
    for (long long done = 0; done < a->frames();) {
        const int frames = static_cast<int>(std::min<long long>(compareBlockFrames, a->frames() - done));
        if (!a->read(blockA.data(), frames, error) || !b->read(blockB.data(), frames, error)) {
            return HostMessages::fail(err, error);
        }
        for (size_t i = 0; i < static_cast<size_t>(frames) * channels; ++i) {
            const double difference =
                std::fabs(static_cast<double>(blockA[i]) - static_cast<double>(blockB[i]));
            if (std::isnan(difference)) {
                ++notNumbers;
            } else if (difference > largest) {
                largest = difference;
                largestAt = done * static_cast<long long>(channels) + static_cast<long long>(i);
            }
        }
        done += frames;
    }
    std::fprintf(out, "max abs difference: %.9g\n", notNumbers > 0 ? std::nan("") : largest);
    if (largest > 0.0) {
        const long long frame = largestAt / static_cast<long long>(channels);
        std::fprintf(out, "largest at frame %lld (%.6f s), channel %lld: %s\n", frame,
                     static_cast<double>(frame) / a->sampleRate(),
                     largestAt % static_cast<long long>(channels) + 1,
                     HostMessages::decibels(largest).c_str());
    }
    if (notNumbers > 0) {
        std::fprintf(out, "samples that are not numbers on one side or both: %lld\n", notNumbers);
    }
    return notNumbers == 0 && largest <= options.tolerance ? HostMessages::exitOk
                                                           : HostMessages::exitDifferent;
}

} // namespace chorus::host
