#pragma once

#include <string>
#include <vector>

namespace chorus::host {

enum class PresetKind { program, bank };

// A module's program or bank chunk as saved on disk.
struct Preset {
    PresetKind kind = PresetKind::bank;
    std::vector<unsigned char> chunk;
    int selectedProgram = -1; // a bank's program selected when it was saved; -1: not recorded
};

// Preset files: "QCPR", big-endian uint32 version, "PROG" or "BANK", big-endian uint32 chunk length, then
// exactly that many chunk bytes; a version 2 bank then ends with the big-endian uint32 number of the program
// selected when it was saved, so loading it brings back that program. Programs are written as version 1,
// banks as version 2; both versions are read. The same bytes on every platform.
class PresetFile {
public:
    static constexpr unsigned programVersion = 1;
    static constexpr unsigned bankVersion = 2;
    static constexpr size_t headerBytes = 16;
    // Far beyond any real chunk; a larger length is damage, not data.
    static constexpr size_t maxChunkBytes = 16u * 1024u * 1024u;

    // False with a one-line message naming the file and what is wrong (missing, damaged, wrong size, unknown
    // kind).
    static bool read(const std::string& path, Preset& preset, std::string& error);
    // Writes to a temporary file in the same folder and renames it into place: never a half-written file.
    static bool write(const std::string& path, const Preset& preset, std::string& error);

    static const char* kindName(PresetKind kind) noexcept {
        return kind == PresetKind::program ? "program" : "bank";
    }
};

} // namespace chorus::host
