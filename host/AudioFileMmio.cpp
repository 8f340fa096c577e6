#include "host/AudioFile.h"

// windows.h must come before mmsystem.h.
// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

namespace chorus::host {

namespace {

constexpr uint16_t formatPcm = 1;
constexpr uint16_t formatFloat = 3;
constexpr uint16_t formatExtensible = 0xFFFE;
constexpr LONG maxFormatBytes = 64;

struct MmioCloser {
    void operator()(HMMIO handle) const { mmioClose(handle, 0); }
};
using MmioHandle = std::unique_ptr<std::remove_pointer_t<HMMIO>, MmioCloser>;

MmioHandle openFile(const std::string& path, DWORD flags) {
    std::string name = path; // mmioOpenA wants a writable buffer
    return MmioHandle(mmioOpenA(name.data(), nullptr, flags));
}

uint16_t read16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
}

uint32_t read32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

// One sample of the data chunk as a float in -1..1 (integers scaled by their full range).
float decodeSample(const uint8_t* bytes, uint16_t format, uint16_t bits) {
    if (format == formatFloat) {
        float value;
        std::memcpy(&value, bytes, sizeof value);
        return value;
    }
    switch (bits) {
    case 16:
        return static_cast<float>(static_cast<int16_t>(read16(bytes))) / 32768.0f;
    case 24: {
        const uint32_t packed = (static_cast<uint32_t>(bytes[0]) << 8) |
                                (static_cast<uint32_t>(bytes[1]) << 16) |
                                (static_cast<uint32_t>(bytes[2]) << 24);
        const int32_t value = static_cast<int32_t>(packed) / 256;
        return static_cast<float>(static_cast<double>(value) / 8388608.0);
    }
    default:
        return static_cast<float>(static_cast<double>(static_cast<int32_t>(read32(bytes))) / 2147483648.0);
    }
}

} // namespace

bool AudioFile::read(const std::string& path, std::string& error) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        error = "cannot read " + path + ": no such file";
        return false;
    }
    MmioHandle file = openFile(path, MMIO_READ | MMIO_ALLOCBUF | MMIO_DENYWRITE);
    if (file == nullptr) {
        error = "cannot open " + path;
        return false;
    }
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    if (mmioDescend(file.get(), &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) {
        error = path + " is not a WAV file";
        return false;
    }
    MMCKINFO formatChunk{};
    formatChunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    if (mmioDescend(file.get(), &formatChunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR ||
        formatChunk.cksize < 16) {
        error = path + " has no usable format chunk";
        return false;
    }
    uint8_t formatBytes[maxFormatBytes] = {};
    const LONG formatLength = std::min<LONG>(static_cast<LONG>(formatChunk.cksize), maxFormatBytes);
    if (mmioRead(file.get(), reinterpret_cast<HPSTR>(formatBytes), formatLength) != formatLength) {
        error = "cannot read the format of " + path;
        return false;
    }
    mmioAscend(file.get(), &formatChunk, 0);
    uint16_t format = read16(formatBytes);
    const uint16_t channelCount = read16(formatBytes + 2);
    const uint32_t rate = read32(formatBytes + 4);
    const uint16_t bits = read16(formatBytes + 14);
    if (format == formatExtensible && formatLength >= 26) {
        format = read16(formatBytes + 24); // the sub-format's first word is the plain format tag
    }
    const bool supported = (format == formatPcm && (bits == 16 || bits == 24 || bits == 32)) ||
                           (format == formatFloat && bits == 32);
    if (!supported || channelCount < 1) {
        error = path + ": only 16-, 24- and 32-bit integer or 32-bit float WAV files are read";
        return false;
    }
    MMCKINFO dataChunk{};
    dataChunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    if (mmioDescend(file.get(), &dataChunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) {
        error = path + " has no data chunk";
        return false;
    }
    const size_t sampleBytes = bits / 8u;
    const size_t frameBytes = sampleBytes * channelCount;
    const size_t frameCount = dataChunk.cksize / frameBytes;
    std::vector<uint8_t> raw(frameCount * frameBytes);
    if (!raw.empty() && mmioRead(file.get(), reinterpret_cast<HPSTR>(raw.data()),
                                 static_cast<LONG>(raw.size())) != static_cast<LONG>(raw.size())) {
        error = "cannot read all of " + path;
        return false;
    }
    channels = channelCount;
    sampleRate = static_cast<int>(rate);
    samples.resize(frameCount * channelCount);
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = decodeSample(raw.data() + i * sampleBytes, format, bits);
    }
    return true;
}

bool AudioFile::write(const std::string& path, std::string& error) const {
    MmioHandle file = openFile(path, MMIO_CREATE | MMIO_WRITE | MMIO_ALLOCBUF);
    if (file == nullptr) {
        error = "cannot write " + path;
        return false;
    }
    MMCKINFO riff{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    bool ok = mmioCreateChunk(file.get(), &riff, MMIO_CREATERIFF) == MMSYSERR_NOERROR;

    WAVEFORMATEX format{};
    format.wFormatTag = formatFloat;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = static_cast<DWORD>(sampleRate);
    format.wBitsPerSample = 32;
    format.nBlockAlign = static_cast<WORD>(channels * 4);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    format.cbSize = 0;
    MMCKINFO formatChunk{};
    formatChunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    ok = ok && mmioCreateChunk(file.get(), &formatChunk, 0) == MMSYSERR_NOERROR;
    ok = ok && mmioWrite(file.get(), reinterpret_cast<const char*>(&format), sizeof format) ==
                   static_cast<LONG>(sizeof format);
    ok = ok && mmioAscend(file.get(), &formatChunk, 0) == MMSYSERR_NOERROR;

    // Formats other than integer PCM carry their frame count in a fact chunk.
    const DWORD frameCount = static_cast<DWORD>(frames());
    MMCKINFO factChunk{};
    factChunk.ckid = mmioFOURCC('f', 'a', 'c', 't');
    ok = ok && mmioCreateChunk(file.get(), &factChunk, 0) == MMSYSERR_NOERROR;
    ok = ok && mmioWrite(file.get(), reinterpret_cast<const char*>(&frameCount), sizeof frameCount) ==
                   static_cast<LONG>(sizeof frameCount);
    ok = ok && mmioAscend(file.get(), &factChunk, 0) == MMSYSERR_NOERROR;

    MMCKINFO dataChunk{};
    dataChunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    ok = ok && mmioCreateChunk(file.get(), &dataChunk, 0) == MMSYSERR_NOERROR;
    const LONG dataBytes = static_cast<LONG>(samples.size() * sizeof(float));
    if (ok && dataBytes > 0) {
        ok = mmioWrite(file.get(), reinterpret_cast<const char*>(samples.data()), dataBytes) == dataBytes;
    }
    ok = ok && mmioAscend(file.get(), &dataChunk, 0) == MMSYSERR_NOERROR;
    ok = ok && mmioAscend(file.get(), &riff, 0) == MMSYSERR_NOERROR;
    if (!ok) {
        error = "cannot write all of " + path;
    }
    return ok;
}

} // namespace chorus::host
