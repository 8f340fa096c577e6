#include "host/session/PresetFile.h"

#include "host/audio/SafeFileWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace chorus::host {

namespace {

constexpr char magic[4] = {'Q', 'C', 'P', 'R'};
constexpr char programTag[4] = {'P', 'R', 'O', 'G'};
constexpr char bankTag[4] = {'B', 'A', 'N', 'K'};
// Far beyond any real bank; a larger number is damage.
constexpr int maxSelectedProgram = 1 << 16;

uint32_t readBigEndian(const unsigned char* bytes) {
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

void putBigEndian(unsigned char* bytes, uint32_t value) {
    bytes[0] = static_cast<unsigned char>(value >> 24);
    bytes[1] = static_cast<unsigned char>(value >> 16);
    bytes[2] = static_cast<unsigned char>(value >> 8);
    bytes[3] = static_cast<unsigned char>(value);
}

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

} // namespace

bool PresetFile::read(const std::string& path, Preset& preset, std::string& error) {
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot read preset " + path + ": " + std::strerror(errno);
        return false;
    }
    unsigned char header[headerBytes];
    const size_t got = std::fread(header, 1, sizeof header, file.get());
    if (got >= 4 && std::memcmp(header, magic, 4) != 0) {
        error = path + " is not a preset file (no QCPR header)";
        return false;
    }
    if (got < sizeof header) {
        error = "preset " + path + " is damaged: " + std::to_string(got) + " bytes, shorter than its header";
        return false;
    }
    const uint32_t version = readBigEndian(header + 4);
    if (version != 1 && version != bankVersion) {
        error = "preset " + path + " has version " + std::to_string(version) +
                "; this host reads versions 1 and " + std::to_string(bankVersion);
        return false;
    }
    PresetKind kind;
    if (std::memcmp(header + 8, programTag, 4) == 0) {
        kind = PresetKind::program;
    } else if (std::memcmp(header + 8, bankTag, 4) == 0) {
        kind = PresetKind::bank;
    } else {
        error = "preset " + path + " has an unknown kind (neither PROG nor BANK)";
        return false;
    }
    const uint32_t length = readBigEndian(header + 12);
    if (length > maxChunkBytes) {
        error = "preset " + path + " is damaged: it claims " + std::to_string(length) + " chunk bytes";
        return false;
    }
    std::vector<unsigned char> chunk(length);
    const size_t body = chunk.empty() ? 0 : std::fread(chunk.data(), 1, chunk.size(), file.get());
    if (body != length) {
        error = "preset " + path + " is damaged: " + std::to_string(body) + " of " + std::to_string(length) +
                " chunk bytes present";
        return false;
    }
    int selected = -1;
    if (version == bankVersion && kind == PresetKind::bank) {
        unsigned char number[4];
        if (std::fread(number, 1, sizeof number, file.get()) != sizeof number ||
            readBigEndian(number) > static_cast<uint32_t>(maxSelectedProgram)) {
            error = "preset " + path + " is damaged: no selected program after its " +
                    std::to_string(length) + "-byte chunk";
            return false;
        }
        selected = static_cast<int>(readBigEndian(number));
    }
    if (std::fgetc(file.get()) != EOF) {
        error = "preset " + path + " is damaged: bytes follow its " + std::to_string(length) + "-byte chunk";
        return false;
    }
    preset.kind = kind;
    preset.chunk = std::move(chunk);
    preset.selectedProgram = selected;
    return true;
}

bool PresetFile::write(const std::string& path, const Preset& preset, std::string& error) {
    if (preset.chunk.size() > maxChunkBytes) {
        error = "cannot write preset " + path + ": the chunk is " + std::to_string(preset.chunk.size()) +
                " bytes";
        return false;
    }
    unsigned char header[headerBytes];
    std::memcpy(header, magic, 4);
    const bool bank = preset.kind == PresetKind::bank;
    putBigEndian(header + 4, bank ? bankVersion : programVersion);
    std::memcpy(header + 8, preset.kind == PresetKind::program ? programTag : bankTag, 4);
    putBigEndian(header + 12, static_cast<uint32_t>(preset.chunk.size()));
    SafeFileWriter writer;
    if (!writer.open(path, error)) {
        return false;
    }
    writer.write(header, sizeof header);
    writer.write(preset.chunk.data(), preset.chunk.size());
    if (bank) {
        unsigned char number[4];
        putBigEndian(number, static_cast<uint32_t>(std::max(preset.selectedProgram, 0)));
        writer.write(number, sizeof number);
    }
    return writer.commit(error);
}

} // namespace chorus::host
