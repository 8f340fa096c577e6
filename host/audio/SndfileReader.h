#pragma once

#include "host/audio/AudioReader.h"

#include <sndfile.h>

namespace chorus::host {

// The formats beyond WAV that libsndfile decodes (native build only).
class SndfileReader final : public AudioReader {
public:
    SndfileReader() = default;
    ~SndfileReader() override;
    SndfileReader(const SndfileReader&) = delete;
    SndfileReader& operator=(const SndfileReader&) = delete;

    bool open(const std::string& path, const std::string& shown, std::string& error);
    bool read(float* interleaved, int count, std::string& error) override;

private:
    std::string name;
    SNDFILE* file = nullptr;
};

} // namespace chorus::host
