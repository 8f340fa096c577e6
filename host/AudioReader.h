#pragma once

#include <memory>
#include <string>

namespace chorus::host {

// An audio file read block by block as interleaved floats, so memory does not grow with the file's length.
class AudioReader {
public:
    virtual ~AudioReader() = default;

    int channels() const noexcept { return channelCount; }
    int sampleRate() const noexcept { return rate; }
    long long frames() const noexcept { return frameCount; }

    // Reads exactly count frames (interleaved, count * channels floats) or fails with a message naming the
    // file: the header's promise is checked against what the file holds, never silently shortened.
    virtual bool read(float* interleaved, int count, std::string& error) = 0;

    // WAV files through our own reader in every build; other formats where the build has a library for them.
    static std::unique_ptr<AudioReader> open(const std::string& path, std::string& error);

protected:
    int channelCount = 0;
    int rate = 0;
    long long frameCount = 0;
};

} // namespace chorus::host
