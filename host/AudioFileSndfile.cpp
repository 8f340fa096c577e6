#include "host/AudioFile.h"

#include <sndfile.h>

namespace chorus::host {

bool AudioFile::read(const std::string& path, std::string& error) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        error = "cannot read " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    if (info.channels < 1 || info.frames < 0) {
        sf_close(file);
        error = path + " holds no audio channels";
        return false;
    }
    channels = info.channels;
    sampleRate = info.samplerate;
    samples.assign(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels), 0.0f);
    const sf_count_t got = sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    if (got != info.frames) {
        error = "cannot read all of " + path;
        return false;
    }
    return true;
}

bool AudioFile::write(const std::string& path, std::string& error) const {
    SF_INFO info{};
    info.channels = channels;
    info.samplerate = sampleRate;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        error = "cannot write " + path + ": " + sf_strerror(nullptr);
        return false;
    }
    const sf_count_t written = sf_writef_float(file, samples.data(), frames());
    const int closed = sf_close(file);
    if (written != frames() || closed != 0) {
        error = "cannot write all of " + path;
        return false;
    }
    return true;
}

} // namespace chorus::host
