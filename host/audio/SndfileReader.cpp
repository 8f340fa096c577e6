#include "host/audio/SndfileReader.h"

#include "host/audio/WavReader.h"

#include <climits>

namespace chorus::host {

SndfileReader::~SndfileReader() {
    if (file != nullptr) {
        sf_close(file);
    }
}

bool SndfileReader::open(const std::string& path, const std::string& shown, std::string& error) {
    name = shown;
    SF_INFO info{};
    file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        error = "cannot read " + name + ": " + sf_strerror(nullptr);
        return false;
    }
    if (info.channels < 1 || info.frames < 0 || info.samplerate < 1) {
        error = name + " holds no usable audio (" + std::to_string(info.channels) + " channels at " +
                std::to_string(info.samplerate) + " Hz)";
        return false;
    }
    channelCount = info.channels;
    rate = info.samplerate;
    frameCount = info.frames;
    return true;
}

bool SndfileReader::read(float* interleaved, int count, std::string& error) {
    if (file == nullptr || sf_readf_float(file, interleaved, count) != count) {
        error = name + " is truncated or damaged: it holds fewer frames than its header says";
        return false;
    }
    return true;
}

// WAV goes through our own reader so both builds read it alike; libsndfile takes what that reader leaves.
std::unique_ptr<AudioReader> AudioReader::openFile(const std::string& path, const std::string& shown,
                                                   std::string& error) {
    auto wav = std::make_unique<WavReader>();
    switch (wav->open(path, error, shown)) {
    case WavReader::Opened::ok:
        return wav;
    case WavReader::Opened::damaged:
        return nullptr;
    default:
        break;
    }
    auto other = std::make_unique<SndfileReader>();
    std::string otherError;
    if (!other->open(path, shown, otherError)) {
        error = otherError;
        return nullptr;
    }
    return other;
}

} // namespace chorus::host
