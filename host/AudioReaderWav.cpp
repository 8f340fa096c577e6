#include "host/AudioReader.h"
#include "host/WavReader.h"

namespace chorus::host {

// Builds without another audio library read WAV files only.
std::unique_ptr<AudioReader> AudioReader::open(const std::string& path, std::string& error) {
    auto wav = std::make_unique<WavReader>();
    if (wav->open(path, error) != WavReader::Opened::ok) {
        return nullptr;
    }
    return wav;
}

} // namespace chorus::host
