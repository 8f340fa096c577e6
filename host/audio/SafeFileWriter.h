#pragma once

#include <cstdio>
#include <string>

namespace chorus::host {

// Writes a file through a temporary file in the target's folder that is renamed over the target only when
// commit() succeeds, so readers never see a half-written file and a failed run leaves the old one intact.
// What is not a plain file is never renamed over: "-" is standard output, and an existing device, pipe or
// console is written directly. A symbolic link is followed, so the link stays and its target is replaced.
class SafeFileWriter {
public:
    static constexpr const char* standardOutput = "-";

    SafeFileWriter() = default;
    ~SafeFileWriter(); // discards the temporary file unless committed
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file (or opens the stream); false with a message naming the target.
    bool open(const std::string& path, std::string& error);
    std::FILE* file() const noexcept { return stream; }
    bool write(const void* data, size_t bytes) noexcept;
    // Whether finish-up writes may go back to the start: false for pipes and appending streams.
    bool canRewrite() const noexcept;
    // Flushes, closes and renames into place; false (and nothing replaced) on any earlier or present failure.
    bool commit(std::string& error);
    // Closes and deletes the temporary file; the target is untouched. A direct stream keeps what it got.
    void discard() noexcept;

    // Before any work: whether open() will succeed for path, with open()'s message when not. Creates nothing
    // that outlives the call and never opens a pipe (which would wait for a reader).
    static bool check(const std::string& path, std::string& error);
    // "<process id>-<n>", a different n each call: a part of a temporary file's name that no other file of
    // this run, nor of another host running at the same time, takes.
    static std::string uniqueNamePart();

private:
    enum class Kind { replace, direct, standardOutput };

    // Where path leads: the file a rename replaces (links followed), or what is written directly.
    static bool locate(const std::string& path, Kind& kind, std::string& resolved, std::string& error);

    std::string target;      // as the user named it, for messages
    std::string destination; // what the rename replaces
    std::string temporary;
    std::FILE* stream = nullptr;
    Kind kind = Kind::replace;
    bool failed = false;
};

} // namespace chorus::host
