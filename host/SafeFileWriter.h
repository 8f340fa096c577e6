#pragma once

#include <cstdio>
#include <string>

namespace chorus::host {

// Writes a file through a temporary file in the same folder that is renamed over the target only when
// commit() succeeds, so readers never see a half-written file and a failed run leaves the old one intact.
class SafeFileWriter {
public:
    SafeFileWriter() = default;
    ~SafeFileWriter(); // discards the temporary file unless committed
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    // Creates the temporary file; false with a message naming the target.
    bool open(const std::string& path, std::string& error);
    std::FILE* file() const noexcept { return stream; }
    bool write(const void* data, size_t bytes) noexcept;
    // Flushes, closes and renames into place; false (and nothing replaced) on any earlier or present failure.
    bool commit(std::string& error);
    // Closes and deletes the temporary file; the target is untouched.
    void discard() noexcept;

private:
    std::string target;
    std::string temporary;
    std::FILE* stream = nullptr;
    bool failed = false;
};

} // namespace chorus::host
