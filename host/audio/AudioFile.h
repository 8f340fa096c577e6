#pragma once

#include <string>
#include <vector>

namespace chorus::host {

// Whole audio files in memory, interleaved 32-bit floats, for short material (the demo signal, tests).
// Reads whatever AudioReader reads; writes 32-bit float WAV, so rendered samples are kept exactly.
class AudioFile {
public:
    int channels = 0;
    int sampleRate = 0;
    std::vector<float> samples; // frame after frame

    long long frames() const noexcept {
        return channels > 0 ? static_cast<long long>(samples.size()) / channels : 0;
    }
    float sample(long long frame, int channel) const noexcept {
        return samples[static_cast<size_t>(frame * channels + channel)];
    }

    // False with a message in error on failure.
    bool read(const std::string& path, std::string& error);
    bool write(const std::string& path, std::string& error) const;
};

} // namespace chorus::host
