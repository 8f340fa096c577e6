#pragma once

#include "host/audio/AudioReader.h"

#include <cstdint>
#include <cstdio>
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
    std::string name;
    std::FILE* file = nullptr;
    uint16_t encoding = 0;   // 1 integer, 3 float
    bool extensible = false; // the encoding came from an extensible header's sub-format
    int bytesPerSample = 0;
    long long framesLeft = 0;
    std::vector<unsigned char> raw;
};

} // namespace chorus::host
