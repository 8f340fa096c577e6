#pragma once

#include "host/AudioFile.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace chorus::host {

class HostedPlugin;

// The sound a live host plays: an input signal run through a plug-in, pulled by the audio device's thread
// in whatever amounts the device asks for and handed to the plug-in's replacing entry in blocks of at most
// blockFrames. Everything is allocated at construction: render neither allocates, locks nor waits, so the
// device thread can call it while the user edits on the window's thread (the plug-in's own parameter
// exchange carries those edits across).
class LiveSource {
public:
    static constexpr int channels = 2; // the device always gets stereo

    // A mono input is spread over both channels; channels beyond two are not played.
    LiveSource(HostedPlugin& plugin, const AudioFile& input, int blockFrames, bool loop);
    LiveSource(const LiveSource&) = delete;
    LiveSource& operator=(const LiveSource&) = delete;

    // Writes frames interleaved stereo frames. Past the end of a non-looping input the plug-in still runs
    // (its delay lines sound out) on silence, and finished() turns true.
    void render(float* interleaved, int frames) noexcept;

    bool finished() const noexcept { return done.load(std::memory_order_acquire); }
    long long framesRendered() const noexcept { return rendered.load(std::memory_order_relaxed); }
    float peakLevel() const noexcept { return peak.load(std::memory_order_relaxed); }
    int blockFrames() const noexcept { return block; }
    int sampleRate() const noexcept { return rate; }
    long long inputFrames() const noexcept { return total; }

private:
    HostedPlugin& plugin;
    int block;
    int rate;
    bool looping;
    long long total = 0;
    long long position = 0;
    std::vector<float> signal; // interleaved stereo
    std::vector<std::vector<float>> in;
    std::vector<std::vector<float>> out;
    std::vector<float*> inputs;
    std::vector<float*> outputs;
    std::atomic<bool> done{false};
    std::atomic<long long> rendered{0};
    std::atomic<float> peak{0.0f};
};

} // namespace chorus::host
