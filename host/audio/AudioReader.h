#pragma once

#include <memory>
#include <string>

namespace chorus::host {

class InputSpool;

// An audio file read block by block as interleaved floats, so memory does not grow with the file's length.
class AudioReader {
public:
    static constexpr const char* standardInput = "-";

    virtual ~AudioReader();

    int channels() const noexcept { return channelCount; }
    int sampleRate() const noexcept { return rate; }
    long long frames() const noexcept { return frameCount; }

    // Reads exactly count frames (interleaved, count * channels floats) or fails with a message naming the
    // file: the header's promise is checked against what the file holds, never silently shortened.
    virtual bool read(float* interleaved, int count, std::string& error) = 0;

    // WAV files through our own reader in every build; other formats where the build has a library for them.
    // "-" reads standard input (copied to a temporary file first, so a pipe works).
    static std::unique_ptr<AudioReader> open(const std::string& path, std::string& error);

protected:
    AudioReader(); // out of line, as the destructor: InputSpool is complete only there

    // The platform's part: path read, shown in messages as shown.
    static std::unique_ptr<AudioReader> openFile(const std::string& path, const std::string& shown,
                                                 std::string& error);

    int channelCount = 0;
    int rate = 0;
    long long frameCount = 0;

private:
    std::unique_ptr<InputSpool> spool; // outlives the derived reader's open file
};

} // namespace chorus::host
