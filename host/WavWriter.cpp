#include "host/WavWriter.h"

#include <cmath>
#include <cstring>

namespace chorus::host {

namespace {

constexpr uint16_t encodingInteger = 1;
constexpr uint16_t encodingFloat = 3;
constexpr uint32_t floatHeaderBytes = 12 + 8 + 18 + 8 + 4 + 8; // RIFF, fmt (with cbSize), fact, data header
constexpr uint32_t integerHeaderBytes = 12 + 8 + 16 + 8;
constexpr uint64_t maxRiffBytes = 0xFFFFFFFFull; // RIFF sizes are 32-bit
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
    out.insert(out.end(), tag, tag + 4);
}

// Rounds to the nearest step and keeps within the integer range.
long quantise(double scaled, double fullScale) {
    const double rounded = std::floor(scaled + 0.5);
    if (!(rounded >= -fullScale)) { // NaN lands here too
        return static_cast<long>(std::isnan(scaled) ? 0.0 : -fullScale);
    }
    return static_cast<long>(rounded > fullScale - 1.0 ? fullScale - 1.0 : rounded);
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
    // Sizes are filled in by finish(); a header of the final length is reserved now.
    const size_t headerBytes = format == SampleFormat::f32 ? floatHeaderBytes : integerHeaderBytes;
    encoded.assign(headerBytes, 0);
    if (!output.write(encoded.data(), encoded.size())) {
        error = "cannot write " + path;
        return false;
    }
    rate = static_cast<uint32_t>(sampleRate);
    return true;
}

void WavWriter::encode(const float* interleaved, size_t count) {
    encoded.resize(count * static_cast<size_t>(bytesPerSample));
    unsigned char* out = encoded.data();
    for (size_t i = 0; i < count; ++i) {
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
            value = quantise(static_cast<double>(interleaved[i]) * fullScale16 + (a - b), fullScale16);
        } else {
            value = quantise(static_cast<double>(interleaved[i]) * fullScale24, fullScale24);
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

bool WavWriter::finish(std::string& error) {
    std::FILE* file = output.file();
    if (file == nullptr) {
        error = "cannot write " + name + ": not open";
        return false;
    }
    const bool floating = sampleFormat == SampleFormat::f32;
    const uint32_t blockAlign = static_cast<uint32_t>(channelCount * bytesPerSample);
    const uint32_t frames = blockAlign == 0 ? 0 : static_cast<uint32_t>(dataBytes / blockAlign);
    const uint32_t headerBytes = floating ? floatHeaderBytes : integerHeaderBytes;
    const uint32_t pad = static_cast<uint32_t>(dataBytes & 1u);
    std::vector<unsigned char> header;
    putTag(header, "RIFF");
    put32(header, static_cast<uint32_t>(headerBytes - 8 + dataBytes + pad));
    putTag(header, "WAVE");
    putTag(header, "fmt ");
    put32(header, floating ? 18 : 16);
    put16(header, floating ? encodingFloat : encodingInteger);
    put16(header, static_cast<uint32_t>(channelCount));
    put32(header, rate);
    put32(header, rate * blockAlign);
    put16(header, blockAlign);
    put16(header, static_cast<uint32_t>(bytesPerSample * 8));
    if (floating) {
        put16(header, 0); // no extension bytes follow
        putTag(header, "fact");
        put32(header, 4);
        put32(header, frames);
    }
    putTag(header, "data");
    put32(header, static_cast<uint32_t>(dataBytes));
    const unsigned char zero = 0;
    if (pad != 0 && !output.write(&zero, 1)) {
        error = "cannot write " + name;
        return false;
    }
    if (std::fflush(file) != 0 || std::fseek(file, 0, SEEK_SET) != 0 ||
        std::fwrite(header.data(), 1, header.size(), file) != header.size()) {
        error = "cannot write " + name + ": the disk refused the header";
        output.discard();
        return false;
    }
    return output.commit(error);
}

} // namespace chorus::host
