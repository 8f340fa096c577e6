#include "host/session/BackgroundAudio.h"

#include "host/audio/DemoSignal.h"
#include "host/session/HostedPlugin.h"

#include <chrono>
#include <cmath>

namespace chorus::host {

namespace {
constexpr int channels = 2;
}

BackgroundAudio::BackgroundAudio(HostedPlugin& hosted, int rate, int frames)
    : plugin(hosted), sampleRate(rate), blockSize(frames) {
    const AudioFile demo = DemoSignal::generate(sampleRate, loopSeconds);
    // The demo is stereo; a mono rendering is spread over both channels.
    const long long total = demo.frames();
    signal.resize(static_cast<std::size_t>(total) * channels);
    for (long long i = 0; i < total; ++i) {
        for (int c = 0; c < channels; ++c) {
            signal[static_cast<std::size_t>(i * channels + c)] = demo.sample(i, c < demo.channels ? c : 0);
        }
    }
}

BackgroundAudio::~BackgroundAudio() {
    stop();
}

void BackgroundAudio::start() {
    if (running.exchange(true) || signal.empty() || blockSize < 1 || sampleRate < 1) {
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
    const auto block = static_cast<std::size_t>(blockSize);
    std::vector<std::vector<float>> in(channels, std::vector<float>(block));
    std::vector<std::vector<float>> out(channels, std::vector<float>(block));
    float* inputs[channels] = {in[0].data(), in[1].data()};
    float* outputs[channels] = {out[0].data(), out[1].data()};
    const std::size_t frames = signal.size() / channels;
    std::size_t position = 0;
    const auto blockTime = std::chrono::duration<double>(static_cast<double>(blockSize) / sampleRate);
    auto next = std::chrono::steady_clock::now();
    float loudest = 0.0f;
    while (running.load(std::memory_order_relaxed)) {
        for (std::size_t j = 0; j < block; ++j) {
            for (std::size_t c = 0; c < channels; ++c) {
                in[c][j] = signal[position * channels + c];
            }
            position = (position + 1) % frames;
        }
        plugin.process(inputs, outputs, blockSize, true);
        for (const auto& channel : out) {
            for (const float sample : channel) {
                loudest = std::fmax(loudest, std::fabs(sample));
            }
        }
        peak.store(loudest, std::memory_order_relaxed);
        blocks.fetch_add(1, std::memory_order_relaxed);
        next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(blockTime);
        std::this_thread::sleep_until(next);
    }
}

} // namespace chorus::host
