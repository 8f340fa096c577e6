// The host's readers of untrusted files: WAV audio and preset files, from raw bytes or from headers built
// field by field so that random inputs reach past the magic numbers. Nothing may crash, a file that opens
// must keep its header's promises, and every promised frame must read back.
#include "FuzzCheck.h"
#include "FuzzInput.h"
#include "host/audio/WavReader.h"
#include "host/session/PresetFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const std::string path = "fuzz-host-file.bin";
constexpr int readFrames = 700;

void put32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

void put16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void tag(std::vector<uint8_t>& out, const char* text) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<uint8_t>(text[i]));
    }
}

// Either a plausible value or any 32-bit pattern.
uint32_t pick(FuzzInput& in, std::initializer_list<uint32_t> plausible) {
    const uint32_t choice = in.byte();
    if (choice < plausible.size() * 40) {
        return *(plausible.begin() + choice % plausible.size());
    }
    return in.u32();
}

std::vector<uint8_t> wavFile(FuzzInput& in) {
    std::vector<uint8_t> out;
    tag(out, "RIFF");
    put32(out, in.u32());
    tag(out, "WAVE");
    if (in.flag()) {
        tag(out, "junk");
        const uint32_t size = pick(in, {0, 1, 3, 8});
        put32(out, size);
        for (uint32_t i = 0; i < size && i < 64; ++i) {
            out.push_back(in.byte());
        }
    }
    const uint32_t tagValue = pick(in, {1, 3, 0xFFFE, 6, 2});
    const uint32_t channels = pick(in, {1, 2, 0, 3, 64, 65});
    const uint32_t bits = pick(in, {8, 16, 24, 32, 64, 12, 0});
    const uint32_t formatBytes = pick(in, {16, 18, 40, 14, 17});
    tag(out, "fmt ");
    put32(out, formatBytes);
    const size_t formatStart = out.size();
    put16(out, tagValue);
    put16(out, channels);
    put32(out, pick(in, {44100, 8000, 0, 0xFFFFFFFFu, 1}));
    put32(out, in.u32());
    put16(out, in.flag() ? channels * bits / 8 : in.u16());
    put16(out, bits);
    put16(out, 22);
    put16(out, bits);
    put32(out, 0);
    put16(out, pick(in, {1, 3, 0x55}));
    const uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    out.insert(out.end(), tail, tail + 14);
    out.resize(formatStart + (formatBytes < 40 ? formatBytes : 40));
    if (formatBytes & 1u) {
        out.push_back(0);
    }
    tag(out, "data");
    const size_t dataBytes = in.remaining() / 2;
    put32(out,
          pick(in, {static_cast<uint32_t>(dataBytes), static_cast<uint32_t>(dataBytes + 1), 0xFFFFFFF0u}));
    const std::vector<uint8_t> data = in.bytes(dataBytes);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::vector<uint8_t> presetFile(FuzzInput& in) {
    std::vector<uint8_t> out;
    tag(out, in.flag() ? "QCPR" : "QCPX");
    const uint32_t version = pick(in, {1, 2, 0});
    const char* kinds[] = {"PROG", "BANK", "prog"};
    const uint32_t length = pick(in, {0, 84, 672, 0xFFFFFFFFu});
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(version >> shift));
    }
    tag(out, kinds[in.byte() % 3]);
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(length >> shift));
    }
    const std::vector<uint8_t> rest = in.bytes(in.remaining());
    out.insert(out.end(), rest.begin(), rest.end());
    return out;
}

void checkWav(size_t fileSize) {
    chorus::host::WavReader reader;
    std::string error;
    if (reader.open(path, error) != chorus::host::WavReader::Opened::ok) {
        fuzzCheck(!error.empty(), "a refused WAV file says why");
        return;
    }
    fuzzCheck(reader.channels() >= 1 && reader.channels() <= 64, "channel count within bounds");
    fuzzCheck(reader.sampleRate() > 0, "a positive rate");
    fuzzCheck(reader.frames() >= 0 && static_cast<size_t>(reader.frames()) <= fileSize,
              "no more frames than the file has bytes");
    std::vector<float> block(static_cast<size_t>(readFrames) * static_cast<size_t>(reader.channels()));
    for (long long done = 0; done < reader.frames();) {
        const int count = static_cast<int>(std::min<long long>(readFrames, reader.frames() - done));
        fuzzCheck(reader.read(block.data(), count, error), "every promised frame reads");
        done += count;
    }
    fuzzCheck(!reader.read(block.data(), 1, error), "nothing reads past the end");
}

void checkPreset(size_t fileSize) {
    chorus::host::Preset preset;
    std::string error;
    if (!chorus::host::PresetFile::read(path, preset, error)) {
        fuzzCheck(error.find(path) != std::string::npos, "a refused preset is named");
        return;
    }
    fuzzCheck(preset.chunk.size() + chorus::host::PresetFile::headerBytes == fileSize,
              "the chunk fills the file");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const uint8_t mode = in.byte() % 4;
    std::vector<uint8_t> file = mode == 0   ? in.bytes(in.remaining())
                                : mode == 3 ? presetFile(in)
                                            : wavFile(in);
    if (std::FILE* out = std::fopen(path.c_str(), "wb")) {
        if (!file.empty()) {
            std::fwrite(file.data(), 1, file.size(), out);
        }
        std::fclose(out);
    }
    if (mode == 3 || (mode == 0 && file.size() > 0 && file[0] == 'Q')) {
        checkPreset(file.size());
    } else {
        checkWav(file.size());
    }
    std::remove(path.c_str());
    return 0;
}
