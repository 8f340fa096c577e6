#include "host/audio/InputSpool.h"

#include "host/audio/SafeFileWriter.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace chorus::host {

namespace {

constexpr std::size_t copyBytes = 1 << 16;

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

} // namespace

InputSpool::~InputSpool() {
    if (!file.empty()) {
        std::remove(file.c_str());
    }
}

bool InputSpool::fill(std::FILE* from, std::string& error) {
    std::error_code code;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(code);
    if (code) {
        error = "cannot read standard input: no folder for temporary files (" + code.message() + ")";
        return false;
    }
#ifdef _WIN32
    _setmode(_fileno(from), _O_BINARY);
#endif
    file = (folder / ("chorus-host-input-" + SafeFileWriter::uniqueNamePart())).string();
    const std::unique_ptr<std::FILE, FileCloser> to(std::fopen(file.c_str(), "wb"));
    if (!to) {
        error = "cannot read standard input: cannot write " + file + ": " + std::strerror(errno);
        file.clear();
        return false;
    }
    std::vector<char> buffer(copyBytes);
    for (;;) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), from);
        if (got > 0 && std::fwrite(buffer.data(), 1, got, to.get()) != got) {
            error = "cannot read standard input: cannot write " + file + ": the disk refused the data";
            return false;
        }
        if (got < buffer.size()) {
            break;
        }
    }
    if (std::ferror(from) != 0) {
        error = "cannot read standard input: " + std::string(std::strerror(errno));
        return false;
    }
    if (std::fflush(to.get()) != 0) {
        error = "cannot read standard input: cannot write " + file + ": the disk refused the data";
        return false;
    }
    return true;
}

} // namespace chorus::host
