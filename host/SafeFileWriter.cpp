#include "host/SafeFileWriter.h"

#include <atomic>
#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace chorus::host {

namespace {

int processId() {
#ifdef _WIN32
    return _getpid();
#else
    return static_cast<int>(getpid());
#endif
}

// Replaces an existing target in one step (plain rename on Windows refuses an existing target).
bool renameOver(const std::string& from, const std::string& to) {
#ifdef _WIN32
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return std::rename(from.c_str(), to.c_str()) == 0;
#endif
}

} // namespace

SafeFileWriter::~SafeFileWriter() {
    discard();
}

bool SafeFileWriter::open(const std::string& path, std::string& error) {
    discard();
    static std::atomic<unsigned> counter{0};
    target = path;
    // Same folder as the target, so the final rename never crosses file systems.
    temporary = path + ".part-" + std::to_string(processId()) + "-" + std::to_string(counter++);
    failed = false;
    stream = std::fopen(temporary.c_str(), "wb");
    if (stream == nullptr) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        temporary.clear();
        return false;
    }
    return true;
}

bool SafeFileWriter::write(const void* data, size_t bytes) noexcept {
    if (stream == nullptr || failed) {
        return false;
    }
    if (bytes != 0 && std::fwrite(data, 1, bytes, stream) != bytes) {
        failed = true;
    }
    return !failed;
}

bool SafeFileWriter::commit(std::string& error) {
    if (stream == nullptr) {
        error = "cannot write " + target + ": not open";
        return false;
    }
    const bool flushed = std::fflush(stream) == 0 && std::ferror(stream) == 0;
    const bool closed = std::fclose(stream) == 0;
    stream = nullptr;
    if (failed || !flushed || !closed) {
        error = "cannot write " + target + ": the disk refused the data";
        discard();
        return false;
    }
    if (!renameOver(temporary, target)) {
        error = "cannot replace " + target;
        discard();
        return false;
    }
    temporary.clear();
    return true;
}

void SafeFileWriter::discard() noexcept {
    if (stream != nullptr) {
        std::fclose(stream);
        stream = nullptr;
    }
    if (!temporary.empty()) {
        std::remove(temporary.c_str());
        temporary.clear();
    }
}

} // namespace chorus::host
