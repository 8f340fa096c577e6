#include "host/audio/AudioOutput.h"

#include <algorithm>

namespace chorus::host {

namespace {

constexpr int leadInMilliseconds = 200;

} // namespace

AudioOutput::AudioOutput() = default;

AudioOutput::~AudioOutput() {
    stop();
}

bool AudioOutput::start(const std::string& device, int bufferFrames, AudioSource& source,
                        std::string& error) {
    stop();
    status.underruns.store(0, std::memory_order_relaxed);
    status.lost.store(false, std::memory_order_release);
    backend = makeBackend(source, status);
    if (!backend->open(device, bufferFrames, name, error)) {
        backend.reset();
        return false;
    }
    return true;
}

void AudioOutput::drain() {
    if (backend != nullptr) {
        backend->drain();
    }
    stop();
}

void AudioOutput::stop() {
    backend.reset();
}

int AudioOutput::leadInBlocks(int sampleRate, int blockFrames) noexcept {
    const long long frames = static_cast<long long>(std::max(sampleRate, 0)) * leadInMilliseconds / 1000;
    const long long block = std::max(blockFrames, 1);
    return static_cast<int>((frames + block - 1) / block);
}

} // namespace chorus::host
