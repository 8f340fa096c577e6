#include "host/session/BackgroundAudio.h"

#include "host/audio/DemoSignal.h"

#include <algorithm>
#include <chrono>

namespace chorus::host {

BackgroundAudio::BackgroundAudio(HostedPlugin& plugin, int sampleRate, int frames)
    : source(plugin, DemoSignal::generate(sampleRate, loopSeconds), frames, true), blockSize(frames),
      buffer(static_cast<std::size_t>(std::max(frames, 1)) * LiveSource::channels) {}

BackgroundAudio::~BackgroundAudio() {
    stop();
}

void BackgroundAudio::start() {
    if (running.exchange(true) || source.inputFrames() == 0 || blockSize < 1 || source.sampleRate() < 1) {
        return;
    }
    thread = std::thread([this] { run(); });
}

void BackgroundAudio::stop() {
    running.store(false);
    if (thread.joinable()) {
        thread.join();
    }
}

void BackgroundAudio::run() {
    const auto blockTime =
        std::chrono::duration<double>(static_cast<double>(blockSize) / source.sampleRate());
    auto next = std::chrono::steady_clock::now();
    while (running.load(std::memory_order_relaxed)) {
        source.render(buffer.data(), blockSize);
        blocks.fetch_add(1, std::memory_order_relaxed);
        next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(blockTime);
        std::this_thread::sleep_until(next);
    }
}

} // namespace chorus::host
