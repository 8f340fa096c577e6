#include "host/audio/WavReader.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <optional>
#include <sys/types.h>

namespace chorus::host {

namespace {

constexpr uint16_t encodingInteger = 1;
constexpr uint16_t encodingFloat = 3;
constexpr uint16_t encodingExtensible = 0xFFFE;
constexpr uint32_t plainFormatBytes = 16;
constexpr uint32_t extensibleFormatBytes = 40;
constexpr int maxChannels = 64;
// Sizes a writer that could not seek back leaves in the data header: "unknown, read to the end".
constexpr uint32_t streamedDataBytes = 0x7FFFF000u;
constexpr uint32_t unsetDataBytes = 0xFFFFFFFFu;
// The tail every standard sub-format identifier shares after its two-byte encoding tag.
constexpr unsigned char subFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                             0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr int readBlockFrames = 4096; // how many frames one call decodes at most, bounding the raw buffer

uint16_t get16(const unsigned char* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t get32(const unsigned char* bytes) {
    return uint32_t{bytes[0]} | (uint32_t{bytes[1]} << 8) | (uint32_t{bytes[2]} << 16) |
           (uint32_t{bytes[3]} << 24);
}

bool skip(std::FILE* file, uint64_t bytes) {
#ifdef _WIN32
    return _fseeki64(file, static_cast<long long>(bytes), SEEK_CUR) == 0;
#else
    return fseeko(file, static_cast<off_t>(bytes), SEEK_CUR) == 0;
#endif
}

long long position(std::FILE* file) {
#ifdef _WIN32
    return _ftelli64(file);
#else
    return static_cast<long long>(ftello(file));
#endif
}

float decode(const unsigned char* bytes, uint16_t encoding, int width) {
    if (encoding == encodingFloat) {
        if (width == 4) {
            float value;
            std::memcpy(&value, bytes, sizeof value);
            return value;
        }
        double value;
        std::memcpy(&value, bytes, sizeof value);
        return static_cast<float>(value);
    }
    switch (width) {
    case 1:
        return static_cast<float>(static_cast<int>(bytes[0]) - 128) / 128.0f; // 8-bit samples are unsigned
    case 2:
        return static_cast<float>(static_cast<int16_t>(get16(bytes))) / 32768.0f;
    case 3: {
        const uint32_t packed =
            (uint32_t{bytes[0]} << 8) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 24);
        return static_cast<float>(static_cast<double>(static_cast<int32_t>(packed) / 256) / 8388608.0);
    }
    default:
        return static_cast<float>(static_cast<double>(static_cast<int32_t>(get32(bytes))) / 2147483648.0);
    }
}

} // namespace

WavReader::~WavReader() {
    if (file != nullptr) {
        std::fclose(file);
    }
}

WavReader::Opened WavReader::open(const std::string& path, std::string& error, const std::string& shown) {
    name = shown.empty() ? path : shown;
    std::error_code code;
    const bool regular = std::filesystem::is_regular_file(path, code);
    const uint64_t fileBytes = regular ? std::filesystem::file_size(path, code) : 0;
    file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot read " + name + ": " + std::strerror(errno);
        return Opened::damaged;
    }
    unsigned char riff[12];
    if (std::fread(riff, 1, sizeof riff, file) != sizeof riff || std::memcmp(riff, "RIFF", 4) != 0 ||
        std::memcmp(riff + 8, "WAVE", 4) != 0) {
        error = name + " is not a WAV file";
        return Opened::notWav;
    }
    bool haveFormat = false;
    Format format;
    for (;;) {
        unsigned char header[8];
        if (std::fread(header, 1, sizeof header, file) != sizeof header) {
            error = name + " is damaged: it ends before its " + (haveFormat ? "data chunk" : "format chunk");
            return Opened::damaged;
        }
        const uint32_t size = get32(header + 4);
        if (std::memcmp(header, "fmt ", 4) == 0) {
            if (const Opened read = readFormat(size, format, error); read != Opened::ok) {
                return read;
            }
            haveFormat = true;
        } else if (std::memcmp(header, "data", 4) == 0) {
            if (!haveFormat) {
                error = name + " is damaged: its data comes before its format";
                return Opened::damaged;
            }
            return startData(size, format, regular ? std::optional<uint64_t>(fileBytes) : std::nullopt,
                             error);
        } else if (!skip(file, uint64_t{size} + (size & 1u))) {
            error = name + " is damaged: a chunk runs past its end";
            return Opened::damaged;
        }
    }
}

WavReader::Opened WavReader::readFormat(uint32_t size, Format& format, std::string& error) {
    if (size < plainFormatBytes) {
        error = name + " is damaged: its format chunk has " + std::to_string(size) + " bytes";
        return Opened::damaged;
    }
    unsigned char bytes[extensibleFormatBytes] = {};
    const uint32_t kept = size < extensibleFormatBytes ? size : extensibleFormatBytes;
    if (std::fread(bytes, 1, kept, file) != kept || !skip(file, size - kept + (size & 1u))) {
        error = name + " is damaged: its format chunk is cut short";
        return Opened::damaged;
    }
    encoding = get16(bytes);
    extensible = encoding == encodingExtensible;
    format.channels = get16(bytes + 2);
    format.sampleRate = get32(bytes + 4);
    format.blockAlign = get16(bytes + 12);
    format.bits = get16(bytes + 14);
    if (encoding == encodingExtensible) {
        if (kept < extensibleFormatBytes || std::memcmp(bytes + 26, subFormatTail, 14) != 0) {
            error = name + ": an extensible WAV with an unknown sub-format";
            return Opened::unsupported;
        }
        encoding = get16(bytes + 24);
    }
    return Opened::ok;
}

WavReader::Opened WavReader::startData(uint32_t size, const Format& format, std::optional<uint64_t> fileBytes,
                                       std::string& error) {
    const uint16_t bits = format.bits;
    const bool integer = encoding == encodingInteger && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool floating = encoding == encodingFloat && (bits == 32 || bits == 64);
    if (!integer && !floating) {
        error = name + (extensible ? ": extensible WAV sub-format " : ": WAV encoding ") +
                std::to_string(encoding) + " with " + std::to_string(bits) +
                "-bit samples is not read (8/16/24/32-bit integer and 32/64-bit float are)";
        return Opened::unsupported;
    }
    bytesPerSample = bits / 8;
    const uint16_t channels = format.channels;
    const uint16_t blockAlign = format.blockAlign;
    if (channels < 1 || channels > maxChannels || blockAlign != channels * bytesPerSample) {
        error = name + " is damaged: " + std::to_string(channels) + " channels with " +
                std::to_string(blockAlign) + "-byte frames";
        return Opened::damaged;
    }
    if (format.sampleRate == 0 ||
        format.sampleRate > static_cast<uint32_t>(std::numeric_limits<int>::max())) {
        error = name + " is damaged: its sample rate is " + std::to_string(format.sampleRate) + " Hz";
        return Opened::damaged;
    }
    long long promised = size / blockAlign;
    if (fileBytes) {
        const long long here = position(file);
        const long long held = here < 0 ? 0 : (static_cast<long long>(*fileBytes) - here) / blockAlign;
        if (held < promised && (size == streamedDataBytes || size == unsetDataBytes)) {
            promised = held; // written to a pipe: the data runs to the end of the file
        } else if (held < promised) {
            error = name + " is truncated: its header promises " + std::to_string(promised) +
                    " frames, the file holds " + std::to_string(held < 0 ? 0 : held);
            return Opened::damaged;
        }
    }
    channelCount = channels;
    rate = static_cast<int>(format.sampleRate);
    frameCount = promised;
    framesLeft = promised;
    return Opened::ok;
}

bool WavReader::read(float* interleaved, int count, std::string& error) {
    if (file == nullptr || count < 0 || count > framesLeft) {
        error = "cannot read " + std::to_string(count) + " more frames from " + name;
        return false;
    }
    const size_t frameBytes = static_cast<size_t>(bytesPerSample) * static_cast<size_t>(channelCount);
    raw.resize(static_cast<size_t>(readBlockFrames) * frameBytes);
    while (count > 0) {
        const int frames = count < readBlockFrames ? count : readBlockFrames;
        const size_t bytes = static_cast<size_t>(frames) * frameBytes;
        if (std::fread(raw.data(), 1, bytes, file) != bytes) {
            error = name + " is truncated: its data ends " + std::to_string(framesLeft) + " frames early";
            return false;
        }
        const size_t samples = static_cast<size_t>(frames) * static_cast<size_t>(channelCount);
        for (size_t i = 0; i < samples; ++i) {
            interleaved[i] =
                decode(raw.data() + i * static_cast<size_t>(bytesPerSample), encoding, bytesPerSample);
        }
        interleaved += samples;
        count -= frames;
        framesLeft -= frames;
    }
    return true;
}

} // namespace chorus::host
