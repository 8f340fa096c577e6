#pragma once

#include <cstdio>
#include <string>

namespace chorus::host {

// Standard input copied to a temporary file, so a pipe is read like a file: its length known, its chunks
// skipped by seeking. The file is removed when the spool goes.
class InputSpool {
public:
    InputSpool() = default;
    ~InputSpool();
    InputSpool(const InputSpool&) = delete;
    InputSpool& operator=(const InputSpool&) = delete;

    // Copies what from holds up to its end; false with a message on failure.
    bool fill(std::FILE* from, std::string& error);
    const std::string& path() const noexcept { return file; }

private:
    std::string file;
};

} // namespace chorus::host
