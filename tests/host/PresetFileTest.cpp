#include "host/session/PresetFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

using chorus::host::Preset;
using chorus::host::PresetFile;
using chorus::host::PresetKind;

namespace {

using Bytes = std::vector<unsigned char>;

const std::string path = "host-test-preset.qcp";

Bytes presetBytes(const char* magic, uint32_t version, const char* kind, uint32_t length,
                  const Bytes& chunk) {
    Bytes out(magic, magic + 4);
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<unsigned char>(version >> shift));
    }
    out.insert(out.end(), kind, kind + 4);
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<unsigned char>(length >> shift));
    }
    out.insert(out.end(), chunk.begin(), chunk.end());
    return out;
}

void writeBytes(const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes readBytes() {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(PresetFile, WritesTheDocumentedLayoutAndReadsItBack) {
    const Bytes chunk = {0x3F, 0x00, 0x00, 0x00, 'n', 0};
    Bytes bank = presetBytes("QCPR", 2, "BANK", 6, chunk);
    bank.insert(bank.end(), {0, 0, 0, 5}); // the selected program
    for (PresetKind kind : {PresetKind::program, PresetKind::bank}) {
        std::string error;
        ASSERT_TRUE(PresetFile::write(path, Preset{kind, chunk, 5}, error)) << error;
        EXPECT_EQ(readBytes(), kind == PresetKind::program ? presetBytes("QCPR", 1, "PROG", 6, chunk) : bank);
        Preset back;
        ASSERT_TRUE(PresetFile::read(path, back, error)) << error;
        EXPECT_EQ(back.kind, kind);
        EXPECT_EQ(back.chunk, chunk);
        EXPECT_EQ(back.selectedProgram, kind == PresetKind::bank ? 5 : -1);
    }
    // A version 1 bank, as every bank was written before, records no selected program.
    writeBytes(presetBytes("QCPR", 1, "BANK", 6, chunk));
    Preset old;
    std::string error;
    ASSERT_TRUE(PresetFile::read(path, old, error)) << error;
    EXPECT_EQ(old.chunk, chunk);
    EXPECT_EQ(old.selectedProgram, -1);
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        EXPECT_EQ(entry.path().filename().string().find(path + ".part"), std::string::npos)
            << "temporary file left";
    }
    std::remove(path.c_str());
}

TEST(PresetFile, DamageIsRefusedWithAMessageNamingTheFile) {
    const Bytes chunk(84, 0x11);
    Bytes trailing = presetBytes("QCPR", 1, "PROG", 84, chunk);
    trailing.push_back(0);
    Bytes shortHeader = presetBytes("QCPR", 1, "PROG", 0, {});
    shortHeader.resize(10);
    struct Case {
        const char* name;
        Bytes file;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"empty", {}, "shorter than its header"},
        {"short header", shortHeader, "shorter than its header"},
        {"bad magic", presetBytes("RIFF", 1, "PROG", 84, chunk), "not a preset file"},
        {"version 3", presetBytes("QCPR", 3, "PROG", 84, chunk), "version 3"},
        {"version 2 bank without its program", presetBytes("QCPR", 2, "BANK", 84, chunk),
         "no selected program"},
        {"unknown kind", presetBytes("QCPR", 1, "PRG ", 84, chunk), "unknown kind"},
        {"length beyond the file", presetBytes("QCPR", 1, "BANK", 672, chunk), "84 of 672"},
        {"trailing bytes", trailing, "bytes follow"},
        {"absurd length", presetBytes("QCPR", 1, "BANK", 0xFFFFFFF0u, chunk), "4294967280 chunk bytes"},
    };
    for (const auto& c : cases) {
        writeBytes(c.file);
        Preset preset{PresetKind::program, {1, 2, 3}};
        std::string error;
        EXPECT_FALSE(PresetFile::read(path, preset, error)) << c.name;
        EXPECT_NE(error.find(path), std::string::npos) << c.name << ": " << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(preset.chunk, (Bytes{1, 2, 3})) << c.name << ": a refused file changed the preset";
    }
    std::remove(path.c_str());
    std::string error;
    Preset preset;
    EXPECT_FALSE(PresetFile::read(path, preset, error));
    EXPECT_NE(error.find("cannot read preset " + path), std::string::npos) << error;
    EXPECT_FALSE(PresetFile::write("no-such-folder/x.qcp", preset, error));
    EXPECT_NE(error.find("no-such-folder/x.qcp"), std::string::npos) << error;
}
