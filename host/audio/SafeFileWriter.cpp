#include "host/audio/SafeFileWriter.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace chorus::host {

namespace {

#ifdef _WIN32
constexpr size_t finalPathCapacity = 32768; // the longest path Windows knows, in characters
#else
constexpr int maxLinkHops = 40; // as the kernel allows before it calls a chain of links a loop
#endif

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

#ifdef _WIN32
// NUL, CON, COM1 and the like name devices in every folder and with any extension.
bool windowsDeviceName(const std::string& path) {
    if (path.rfind("\\\\.\\", 0) == 0) {
        return true;
    }
    const size_t slash = path.find_last_of("/\\");
    std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
    name = name.substr(0, name.find('.'));
    name.erase(name.find_last_not_of(' ') + 1);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    if (name == "CON" || name == "PRN" || name == "AUX" || name == "NUL" || name == "CONIN$" ||
        name == "CONOUT$") {
        return true;
    }
    return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) &&
           name[3] >= '1' && name[3] <= '9';
}
#endif

#ifdef _WIN32
// The file an existing path ends at, links followed by the system itself; a new file is its own path.
std::string followLinks(const std::string& path) {
    std::unique_ptr<void, decltype(&CloseHandle)> file(
        CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr),
        &CloseHandle);
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release(); // nothing to close
        return path;
    }
    std::string final(finalPathCapacity, '\0');
    const DWORD length = GetFinalPathNameByHandleA(file.get(), final.data(), static_cast<DWORD>(final.size()),
                                                   VOLUME_NAME_DOS);
    if (length == 0 || length >= final.size()) {
        return path;
    }
    final.resize(length);
    if (final.rfind("\\\\?\\UNC\\", 0) == 0) {
        return "\\\\" + final.substr(8); // \\?\UNC\server\share -> \\server\share
    }
    return final.rfind("\\\\?\\", 0) == 0 ? final.substr(4) : final;
}
#else
std::string followLinks(const std::string& path) {
    std::filesystem::path here(path);
    std::error_code code;
    for (int hop = 0; hop < maxLinkHops && std::filesystem::is_symlink(here, code); ++hop) {
        const std::filesystem::path next = std::filesystem::read_symlink(here, code);
        if (code) {
            break;
        }
        here = next.is_absolute() ? next : here.parent_path() / next;
    }
    return here.string();
}
#endif

std::string temporaryName(const std::string& resolved) {
    // Same folder as the target, so the final rename never crosses file systems.
    return resolved + ".part-" + SafeFileWriter::uniqueNamePart();
}

} // namespace

std::string SafeFileWriter::uniqueNamePart() {
    static std::atomic<unsigned> counter{0};
    return std::to_string(processId()) + "-" + std::to_string(counter++);
}

bool SafeFileWriter::locate(const std::string& path, Kind& kind, std::string& resolved, std::string& error) {
    resolved = path;
    // Reopening /dev/stdout fails for a pipe another user made (after su, say): the stream is at hand.
    if (path == standardOutput || path == "/dev/stdout") {
        kind = Kind::standardOutput;
        return true;
    }
#ifdef _WIN32
    if (windowsDeviceName(path)) {
        kind = Kind::direct;
        return true;
    }
#endif
    std::error_code code;
    const std::filesystem::file_status status = std::filesystem::status(path, code);
    if (std::filesystem::is_directory(status)) {
        error = "cannot write " + path + ": it is a folder";
        return false;
    }
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        kind = Kind::direct;
        return true;
    }
    kind = Kind::replace;
    resolved = followLinks(path);
    return true;
}

SafeFileWriter::~SafeFileWriter() {
    discard();
}

bool SafeFileWriter::open(const std::string& path, std::string& error) {
    discard();
    target = path;
    failed = false;
    std::string resolved;
    if (!locate(path, kind, resolved, error)) {
        return false;
    }
    if (kind == Kind::standardOutput) {
#ifdef _WIN32
        _setmode(_fileno(stdout), _O_BINARY);
#endif
        stream = stdout;
        return true;
    }
    if (kind == Kind::replace) {
        destination = resolved;
        temporary = temporaryName(resolved);
    }
    stream = std::fopen(kind == Kind::replace ? temporary.c_str() : path.c_str(), "wb");
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

bool SafeFileWriter::canRewrite() const noexcept {
    if (stream == nullptr) {
        return false;
    }
    if (kind == Kind::replace) {
        return true;
    }
#ifndef _WIN32
    const int flags = fcntl(fileno(stream), F_GETFL);
    if (flags == -1 || (flags & O_APPEND) != 0) {
        return false; // every write lands at the end, wherever the stream was put
    }
#endif
    return std::fflush(stream) == 0 && std::fseek(stream, 0, SEEK_CUR) == 0;
}

bool SafeFileWriter::commit(std::string& error) {
    if (stream == nullptr) {
        error = "cannot write " + target + ": not open";
        return false;
    }
    errno = 0;
    const bool flushed = std::fflush(stream) == 0 && std::ferror(stream) == 0;
    const int flushError = errno;
    const bool closed = kind == Kind::standardOutput || std::fclose(stream) == 0;
    stream = nullptr;
    if (failed || !flushed || !closed) {
        error = "cannot write " + target + ": " +
                (kind == Kind::replace ? std::string("the disk refused the data")
                 : flushError != 0     ? std::strerror(flushError)
                                       : "the stream refused the data");
        discard();
        return false;
    }
    if (kind == Kind::replace && !renameOver(temporary, destination)) {
        error = "cannot replace " + target;
        discard();
        return false;
    }
    temporary.clear();
    return true;
}

void SafeFileWriter::discard() noexcept {
    if (stream != nullptr) {
        if (kind != Kind::standardOutput) {
            std::fclose(stream);
        }
        stream = nullptr;
    }
    if (!temporary.empty()) {
        std::remove(temporary.c_str());
        temporary.clear();
    }
}

bool SafeFileWriter::check(const std::string& path, std::string& error) {
    Kind kind = Kind::replace;
    std::string resolved;
    if (!locate(path, kind, resolved, error)) {
        return false;
    }
    if (kind == Kind::standardOutput) {
        return true;
    }
    if (kind == Kind::direct) {
#ifndef _WIN32
        if (access(path.c_str(), W_OK) != 0) {
            error = "cannot write " + path + ": " + std::strerror(errno);
            return false;
        }
#endif
        return true;
    }
#ifdef _WIN32
    // Replacing a read-only file fails at the rename, after the work: say so now.
    const DWORD attributes = GetFileAttributesA(resolved.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        error = "cannot replace " + path + ": it is read-only";
        return false;
    }
#endif
    const std::string probe = temporaryName(resolved);
    std::FILE* file = std::fopen(probe.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    std::fclose(file);
    std::remove(probe.c_str());
    return true;
}

} // namespace chorus::host
