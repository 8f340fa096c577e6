#include "host/audio/DemoSignal.h"

#include "host/audio/DemoSignalStream.h"

#include <string>

namespace chorus::host {

AudioFile DemoSignal::generate(int sampleRate, double seconds) {
    DemoSignalStream stream(sampleRate, seconds);
    AudioFile file;
    file.channels = stream.channels();
    file.sampleRate = sampleRate;
    file.samples.resize(static_cast<size_t>(stream.frames()) * 2);
    std::string error;
    stream.read(file.samples.data(), static_cast<int>(stream.frames()), error);
    return file;
}

AudioFile DemoSignal::toMono(const AudioFile& stereo) {
    AudioFile mono;
    mono.channels = 1;
    mono.sampleRate = stereo.sampleRate;
    mono.samples.resize(static_cast<size_t>(stereo.frames()));
    for (long long f = 0; f < stereo.frames(); ++f) {
        float sum = 0.0f;
        for (int c = 0; c < stereo.channels; ++c) {
            sum += stereo.sample(f, c);
        }
        mono.samples[static_cast<size_t>(f)] = sum / static_cast<float>(stereo.channels);
    }
    return mono;
}

} // namespace chorus::host
