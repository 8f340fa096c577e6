#include "host/audio/AudioFile.h"

#include "host/audio/AudioReader.h"
#include "host/audio/WavWriter.h"

#include <algorithm>

namespace chorus::host {

namespace {

constexpr int transferFrames = 65536;

} // namespace

bool AudioFile::read(const std::string& path, std::string& error) {
    const std::unique_ptr<AudioReader> reader = AudioReader::open(path, error);
    if (!reader) {
        return false;
    }
    std::vector<float> data(static_cast<size_t>(reader->frames()) * static_cast<size_t>(reader->channels()));
    for (long long done = 0; done < reader->frames();) {
        const int frames = static_cast<int>(std::min<long long>(transferFrames, reader->frames() - done));
        if (!reader->read(data.data() + done * reader->channels(), frames, error)) {
            return false;
        }
        done += frames;
    }
    channels = reader->channels();
    sampleRate = reader->sampleRate();
    samples = std::move(data);
    return true;
}

bool AudioFile::write(const std::string& path, std::string& error) const {
    WavWriter writer;
    if (!writer.open(path, channels, sampleRate, SampleFormat::f32, error)) {
        return false;
    }
    for (long long done = 0; done < frames();) {
        const int count = static_cast<int>(std::min<long long>(transferFrames, frames() - done));
        if (!writer.write(samples.data() + done * channels, count, error)) {
            return false;
        }
        done += count;
    }
    return writer.finish(error);
}

} // namespace chorus::host
