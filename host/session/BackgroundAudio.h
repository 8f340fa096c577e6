#pragma once

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace chorus::host {

class HostedPlugin;

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
    float peakLevel() const noexcept { return peak.load(std::memory_order_relaxed); }

private:
    void run();

    HostedPlugin& plugin;
    int sampleRate;
    int blockSize;
    std::vector<float> signal; // interleaved stereo
    std::thread thread;
    std::atomic<bool> running{false};
    std::atomic<long long> blocks{0};
    std::atomic<float> peak{0.0f};
};

} // namespace chorus::host
