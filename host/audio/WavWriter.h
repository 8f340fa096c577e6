#pragma once

#include "host/audio/SafeFileWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace chorus::host {

enum class SampleFormat { f32, s24, s16 };

// Writes a WAV file block by block through a temporary file that replaces the target only when finish()
// succeeds ("-", pipes and devices are written directly: see SafeFileWriter). Until finish() the header says
// the length is unknown, which is what stays where the output cannot seek back. Float output carries the
// extended format header and a fact chunk; 16-bit output is TPDF-dithered from a fixed seed, so the same
// input always gives the same bytes.
class WavWriter {
public:
    WavWriter() = default;
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    bool open(const std::string& path, int channels, int sampleRate, SampleFormat format, std::string& error);
    bool write(const float* interleaved, int frames, std::string& error);
    // Fills in the sizes where the output can seek and renames the file into place.
    bool finish(std::string& error);

    // Whether that much audio fits the 4 GB a WAV file can hold.
    static bool fits(long long frames, int channels, SampleFormat format) noexcept;
    // "f32", "s24", "s16"; false for anything else.
    static bool parseFormat(const std::string& text, SampleFormat& format);
    static const char* formatName(SampleFormat format) noexcept;

    // The largest magnitude written, before any conversion (full scale is 1).
    float peak() const noexcept { return largest; }
    // Samples an integer format could not hold and wrote at its nearest end.
    long long clippedSamples() const noexcept { return clips; }

private:
    void encode(const float* interleaved, size_t count);
    std::vector<unsigned char> header(uint64_t dataBytes) const;

    SafeFileWriter output;
    std::string name;
    SampleFormat sampleFormat = SampleFormat::f32;
    int channelCount = 0;
    uint32_t rate = 0;
    int bytesPerSample = 4;
    uint64_t dataBytes = 0;
    uint32_t ditherState = 0;
    float largest = 0.0f;
    long long clips = 0;
    std::vector<unsigned char> encoded;
};

} // namespace chorus::host
