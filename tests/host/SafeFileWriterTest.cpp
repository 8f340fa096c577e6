// Where a written file lands: plain files through a temporary file and a rename, links followed, folders and
// missing folders refused before anything is written, devices written directly and never replaced.
#include "host/audio/SafeFileWriter.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

using chorus::host::SafeFileWriter;
namespace fs = std::filesystem;

namespace {

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool writeAll(const std::string& path, const std::string& text, std::string& error) {
    SafeFileWriter writer;
    return writer.open(path, error) && writer.write(text.data(), text.size()) && writer.commit(error);
}

class SafeFileWriterTargets : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::path("host-safe-writer") / test->name();
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        for (const auto& entry : fs::directory_iterator(folder)) {
            EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos) << entry.path();
        }
        fs::remove_all(folder);
        std::error_code code;
        fs::remove(folder.parent_path(), code); // the last test's, when empty
    }
    std::string at(const char* name) const { return (folder / name).string(); }
    fs::path folder;
};

} // namespace

TEST_F(SafeFileWriterTargets, FilesAndLinksAreReplacedWhileFoldersAndMissingFoldersAreRefusedUpFront) {
    std::error_code code;
    fs::create_symlink("kept.txt", at("link.txt"), code);
    const bool haveLinks = !code; // Windows lets only privileged users make them
    std::ofstream(at("kept.txt")) << "old";
    fs::create_directory(at("folder"));
    struct Case {
        std::string path;
        bool writable;
        const char* message;
    };
    std::vector<Case> cases = {
        {at("new.txt"), true, ""},
        {at("kept.txt"), true, ""},
        {at("folder"), false, "it is a folder"},
        {at("no-such-folder/x.txt"), false, "cannot write"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(SafeFileWriter::check(c.path, error), c.writable) << c.path << ": " << error;
        EXPECT_EQ(writeAll(c.path, "new", error), c.writable) << c.path << ": " << error;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.path << ": " << error;
        EXPECT_EQ(fs::is_regular_file(c.path), c.writable) << c.path;
    }
    EXPECT_EQ(contents(at("kept.txt")), "new");
    if (haveLinks) {
        std::ofstream(at("kept.txt")) << "old";
        std::string error;
        ASSERT_TRUE(writeAll(at("link.txt"), "through the link", error)) << error;
        EXPECT_TRUE(fs::is_symlink(at("link.txt"))) << "the link was replaced";
        EXPECT_EQ(contents(at("kept.txt")), "through the link");
    }
}

// A rename that fails after the work (here a folder takes the name meanwhile) is a failure that leaves the
// folder and no temporary file.
TEST_F(SafeFileWriterTargets, AFailedRenameFailsTheCommitAndLeavesNothing) {
    SafeFileWriter writer;
    std::string error;
    ASSERT_TRUE(writer.open(at("late.txt"), error)) << error;
    ASSERT_TRUE(writer.write("data", 4));
    fs::create_directory(at("late.txt"));
    EXPECT_FALSE(writer.commit(error));
    EXPECT_NE(error.find("cannot replace"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_directory(at("late.txt")));
}

#ifdef _WIN32
// NUL is a device in every folder: written, never made a file nor renamed over.
TEST_F(SafeFileWriterTargets, TheNulDeviceIsWrittenDirectly) {
    for (const std::string& path : {std::string("NUL"), at("nul.wav")}) {
        std::string error;
        EXPECT_TRUE(SafeFileWriter::check(path, error)) << path << ": " << error;
        EXPECT_TRUE(writeAll(path, "gone", error)) << path << ": " << error;
    }
    EXPECT_TRUE(fs::is_empty(folder));
}
#endif
