#pragma once

#include "host/session/LiveSource.h"

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace chorus::host {

// Plays the built-in demo signal through a plug-in on a thread of its own, block after block at the pace
// of real time, the way a host's audio thread runs while the user works in the editor. The output is
// dropped; peakLevel tells that sound came out.
class BackgroundAudio {
public:
    static constexpr double loopSeconds = 4.0; // length of the demo passage that repeats

    BackgroundAudio(HostedPlugin& plugin, int sampleRate, int blockSize);
    ~BackgroundAudio();
    BackgroundAudio(const BackgroundAudio&) = delete;
    BackgroundAudio& operator=(const BackgroundAudio&) = delete;

    void start();
    // Returns once the thread has finished its block.
    void stop();

    long long blocksProcessed() const noexcept { return blocks.load(std::memory_order_relaxed); }
    float peakLevel() const noexcept { return source.peakLevel(); }

private:
    void run();

    LiveSource source; // the demo, looping, in the blocks a live host would run
    int blockSize;
    std::vector<float> buffer; // a block of interleaved stereo, dropped
    std::thread thread;
    std::atomic<bool> running{false};
    std::atomic<long long> blocks{0};
};

} // namespace chorus::host
