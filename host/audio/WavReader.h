#pragma once

#include "host/audio/AudioReader.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

namespace chorus::host {

// Reads RIFF WAVE files: 8/16/24/32-bit integer and 32/64-bit float samples, plain or in the extensible
// format. Damaged headers, absurd sizes and data shorter than its header says are refused with a message.
class WavReader final : public AudioReader {
public:
    enum class Opened { ok, notWav, unsupported, damaged };

    WavReader() = default;
    ~WavReader() override;
    WavReader(const WavReader&) = delete;
    WavReader& operator=(const WavReader&) = delete;

    // notWav: no RIFF WAVE header; unsupported: a WAV in an encoding this reader does not decode. Messages
    // name the file shown (default: path).
    Opened open(const std::string& path, std::string& error, const std::string& shown = {});
    bool read(float* interleaved, int count, std::string& error) override;

private:
    // What the format chunk says about the samples; the encoding goes to the members that decode with it.
    struct Format {
        uint16_t channels = 0;
        uint32_t sampleRate = 0;
        uint16_t blockAlign = 0;
        uint16_t bits = 0;
    };
    // The format chunk of size bytes, read from just after its header.
    Opened readFormat(uint32_t size, Format& format, std::string& error);
    // Checks the format against what this reader decodes and sets up reading the data chunk of size bytes.
    // fileBytes: the file's size when it is a regular file, so that a header promising more data than the
    // file holds is caught.
    Opened startData(uint32_t size, const Format& format, std::optional<uint64_t> fileBytes,
                     std::string& error);

    std::string name;
    std::FILE* file = nullptr;
    uint16_t encoding = 0;   // 1 integer, 3 float
    bool extensible = false; // the encoding came from an extensible header's sub-format
    int bytesPerSample = 0;
    long long framesLeft = 0;
    std::vector<unsigned char> raw;
};

} // namespace chorus::host
