#pragma once

namespace chorus::host {

// What a sound device plays: interleaved stereo at a fixed rate, pulled from the device's own real-time
// thread, so render must neither allocate, lock nor wait.
class AudioSource {
public:
    static constexpr int channels = 2; // the device always gets stereo

    virtual ~AudioSource() = default;
    // Writes frames interleaved stereo frames.
    virtual void render(float* interleaved, int frames) noexcept = 0;
    virtual int sampleRate() const noexcept = 0; // Hz
};

} // namespace chorus::host
