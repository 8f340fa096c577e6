#include "host/audio/AudioReader.h"
#include "host/audio/WavReader.h"

namespace chorus::host {

// Builds without another audio library read WAV files only.
std::unique_ptr<AudioReader> AudioReader::openFile(const std::string& path, const std::string& shown,
                                                   std::string& error) {
    auto wav = std::make_unique<WavReader>();
    if (wav->open(path, error, shown) != WavReader::Opened::ok) {
        return nullptr;
    }
    return wav;
}

} // namespace chorus::host
