#include "host/audio/AudioReader.h"

#include "host/audio/InputSpool.h"

#include <cstdio>

namespace chorus::host {

AudioReader::AudioReader() = default;
AudioReader::~AudioReader() = default;

std::unique_ptr<AudioReader> AudioReader::open(const std::string& path, std::string& error) {
    if (path != standardInput) {
        return openFile(path, path, error);
    }
    auto spool = std::make_unique<InputSpool>();
    if (!spool->fill(stdin, error)) {
        return nullptr;
    }
    std::unique_ptr<AudioReader> reader = openFile(spool->path(), "standard input", error);
    if (reader) {
        reader->spool = std::move(spool);
    }
    return reader;
}

} // namespace chorus::host
