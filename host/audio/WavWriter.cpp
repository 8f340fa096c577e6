#include "host/audio/WavWriter.h"

#include <cmath>
#include <cstring>

namespace chorus::host {

namespace {

constexpr uint16_t encodingInteger = 1;
constexpr uint16_t encodingFloat = 3;
constexpr uint32_t floatHeaderBytes = 12 + 8 + 18 + 8 + 4 + 8; // RIFF, fmt (with cbSize), fact, data header
constexpr uint32_t integerHeaderBytes = 12 + 8 + 16 + 8;
constexpr uint64_t maxRiffBytes = 0xFFFFFFFFull; // RIFF sizes are 32-bit
// The data size streaming writers give when the length is not known yet; readers then read to the end.
constexpr uint32_t unknownDataBytes = 0x7FFFF000u;
constexpr uint32_t ditherSeed = 0x2545F491u;
constexpr double fullScale16 = 32768.0;
constexpr double fullScale24 = 8388608.0;

void put16(std::vector<unsigned char>& out, uint32_t value) {
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void put32(std::vector<unsigned char>& out, uint32_t value) {
    put16(out, value & 0xFFFFu);
    put16(out, value >> 16);
}

void putTag(std::vector<unsigned char>& out, const char* tag) {
    for (int i = 0; i < 4; ++i) { // byte by byte: GCC 12 misreads a range insert into an empty vector
        out.push_back(static_cast<unsigned char>(tag[i]));
    }
}

// Rounds to the nearest step and keeps within the integer range, counting what it had to clip.
long quantise(double scaled, double fullScale, long long& clipped) {
    const double rounded = std::floor(scaled + 0.5);
    if (!(rounded >= -fullScale)) { // NaN lands here too
        clipped += std::isnan(scaled) ? 0 : 1;
        return static_cast<long>(std::isnan(scaled) ? 0.0 : -fullScale);
    }
    if (rounded > fullScale - 1.0) {
        ++clipped;
        return static_cast<long>(fullScale - 1.0);
    }
    return static_cast<long>(rounded);
}

} // namespace

bool WavWriter::fits(long long frames, int channels, SampleFormat format) noexcept {
    const uint64_t width = format == SampleFormat::s16 ? 2 : format == SampleFormat::s24 ? 3 : 4;
    return frames >= 0 && channels > 0 &&
           static_cast<uint64_t>(frames) * static_cast<uint64_t>(channels) * width + floatHeaderBytes <=
               maxRiffBytes;
}

bool WavWriter::parseFormat(const std::string& text, SampleFormat& format) {
    if (text == "f32") {
        format = SampleFormat::f32;
    } else if (text == "s24") {
        format = SampleFormat::s24;
    } else if (text == "s16") {
        format = SampleFormat::s16;
    } else {
        return false;
    }
    return true;
}

const char* WavWriter::formatName(SampleFormat format) noexcept {
    switch (format) {
    case SampleFormat::s24:
        return "s24";
    case SampleFormat::s16:
        return "s16";
    default:
        return "f32";
    }
}

bool WavWriter::open(const std::string& path, int channels, int sampleRate, SampleFormat format,
                     std::string& error) {
    name = path;
    sampleFormat = format;
    channelCount = channels;
    bytesPerSample = format == SampleFormat::s16 ? 2 : format == SampleFormat::s24 ? 3 : 4;
    dataBytes = 0;
    ditherState = ditherSeed;
    if (channels < 1 || sampleRate < 1) {
        error = "cannot write " + path + ": " + std::to_string(channels) + " channels at " +
                std::to_string(sampleRate) + " Hz";
        return false;
    }
    if (!output.open(path, error)) {
        return false;
    }
    rate = static_cast<uint32_t>(sampleRate);
    // finish() puts the sizes in where the output can seek back to them.
    const std::vector<unsigned char> streaming = header(unknownDataBytes);
    if (!output.write(streaming.data(), streaming.size())) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

void WavWriter::encode(const float* interleaved, size_t count) {
    encoded.resize(count * static_cast<size_t>(bytesPerSample));
    unsigned char* out = encoded.data();
    for (size_t i = 0; i < count; ++i) {
        const float magnitude = std::fabs(interleaved[i]);
        if (magnitude > largest) { // false for NaN
            largest = magnitude;
        }
        if (sampleFormat == SampleFormat::f32) {
            std::memcpy(out, &interleaved[i], 4); // little-endian on every target we build for
            out += 4;
            continue;
        }
        long value;
        if (sampleFormat == SampleFormat::s16) {
            // Triangular dither of one step peak: the difference of two uniform values.
            ditherState = ditherState * 1664525u + 1013904223u;
            const double a = static_cast<double>(ditherState >> 8) / 16777216.0;
            ditherState = ditherState * 1664525u + 1013904223u;
            const double b = static_cast<double>(ditherState >> 8) / 16777216.0;
            value = quantise(static_cast<double>(interleaved[i]) * fullScale16 + (a - b), fullScale16, clips);
        } else {
            value = quantise(static_cast<double>(interleaved[i]) * fullScale24, fullScale24, clips);
        }
        const auto bits = static_cast<uint32_t>(value);
        for (int byte = 0; byte < bytesPerSample; ++byte) {
            *out++ = static_cast<unsigned char>(bits >> (8 * byte));
        }
    }
}

bool WavWriter::write(const float* interleaved, int frames, std::string& error) {
    const size_t count = static_cast<size_t>(frames) * static_cast<size_t>(channelCount);
    const uint64_t bytes = count * static_cast<uint64_t>(bytesPerSample);
    if (dataBytes + bytes + floatHeaderBytes > maxRiffBytes) {
        error = "cannot write " + name + ": a WAV file holds at most 4 GB";
        return false;
    }
    encode(interleaved, count);
    if (!output.write(encoded.data(), encoded.size())) {
        error = "cannot write " + name + ": the disk refused the data";
        return false;
    }
    dataBytes += bytes;
    return true;
}

std::vector<unsigned char> WavWriter::header(uint64_t bytes) const {
    const bool floating = sampleFormat == SampleFormat::f32;
    const uint32_t blockAlign = static_cast<uint32_t>(channelCount * bytesPerSample);
    const uint32_t frames = blockAlign == 0 ? 0 : static_cast<uint32_t>(bytes / blockAlign);
    const uint32_t headerBytes = floating ? floatHeaderBytes : integerHeaderBytes;
    const uint32_t pad = static_cast<uint32_t>(bytes & 1u);
    std::vector<unsigned char> out;
    putTag(out, "RIFF");
    put32(out, static_cast<uint32_t>(headerBytes - 8 + bytes + pad));
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, floating ? 18 : 16);
    put16(out, floating ? encodingFloat : encodingInteger);
    put16(out, static_cast<uint32_t>(channelCount));
    put32(out, rate);
    put32(out, rate * blockAlign);
    put16(out, blockAlign);
    put16(out, static_cast<uint32_t>(bytesPerSample * 8));
    if (floating) {
        put16(out, 0); // no extension bytes follow
        putTag(out, "fact");
        put32(out, 4);
        put32(out, frames);
    }
    putTag(out, "data");
    put32(out, static_cast<uint32_t>(bytes));
    return out;
}

bool WavWriter::finish(std::string& error) {
    std::FILE* file = output.file();
    if (file == nullptr) {
        error = "cannot write " + name + ": not open";
        return false;
    }
    const unsigned char zero = 0;
    if ((dataBytes & 1u) != 0 && !output.write(&zero, 1)) {
        error = "cannot write " + name;
        return false;
    }
    // A pipe keeps the header of unknown length written first; streaming readers read such a file to its end.
    if (output.canRewrite()) {
        const std::vector<unsigned char> sized = header(dataBytes);
        if (std::fflush(file) != 0 || std::fseek(file, 0, SEEK_SET) != 0 ||
            std::fwrite(sized.data(), 1, sized.size(), file) != sized.size()) {
            error = "cannot write " + name + ": the disk refused the header";
            output.discard();
            return false;
        }
    }
    return output.commit(error);
}

} // namespace chorus::host
