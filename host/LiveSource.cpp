#include "host/LiveSource.h"

#include "host/HostedPlugin.h"

#include <algorithm>
#include <cmath>

namespace chorus::host {

LiveSource::LiveSource(HostedPlugin& hosted, const AudioFile& input, int blockSize, bool loop)
    : plugin(hosted), block(std::max(blockSize, 1)), rate(input.sampleRate), looping(loop),
      total(input.frames()) {
    signal.resize(static_cast<std::size_t>(total) * channels);
    for (long long i = 0; i < total; ++i) {
        for (int c = 0; c < channels; ++c) {
            signal[static_cast<std::size_t>(i * channels + c)] =
                input.channels > 0 ? input.sample(i, std::min(c, input.channels - 1)) : 0.0f;
        }
    }
    // The plug-in may declare more pins than the two that sound: every pin gets a buffer.
    const EffectDescriptor* d = plugin.descriptor();
    const int pinsIn = std::max(channels, d != nullptr ? static_cast<int>(d->inputCount) : 0);
    const int pinsOut = std::max(channels, d != nullptr ? static_cast<int>(d->outputCount) : 0);
    in.assign(static_cast<std::size_t>(pinsIn), std::vector<float>(static_cast<std::size_t>(block), 0.0f));
    out.assign(static_cast<std::size_t>(pinsOut), std::vector<float>(static_cast<std::size_t>(block), 0.0f));
    for (auto& buffer : in) {
        inputs.push_back(buffer.data());
    }
    for (auto& buffer : out) {
        outputs.push_back(buffer.data());
    }
    if (total == 0 && !looping) {
        done.store(true, std::memory_order_release);
    }
}

void LiveSource::render(float* interleaved, int frames) noexcept {
    float loudest = peak.load(std::memory_order_relaxed);
    while (frames > 0) {
        const int n = std::min(frames, block);
        for (int j = 0; j < n; ++j) {
            const bool playing = position < total;
            for (int c = 0; c < channels; ++c) {
                in[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)] =
                    playing ? signal[static_cast<std::size_t>(position * channels + c)] : 0.0f;
            }
            if (playing) {
                ++position;
                if (position == total && looping) {
                    position = 0;
                }
            }
        }
        plugin.process(inputs.data(), outputs.data(), n, true);
        for (int j = 0; j < n; ++j) {
            for (int c = 0; c < channels; ++c) {
                const float sample = out[static_cast<std::size_t>(c)][static_cast<std::size_t>(j)];
                interleaved[j * channels + c] = sample;
                loudest = std::fmax(loudest, std::fabs(sample));
            }
        }
        interleaved += n * channels;
        frames -= n;
        rendered.fetch_add(n, std::memory_order_relaxed);
    }
    peak.store(loudest, std::memory_order_relaxed);
    if (position >= total && !looping) {
        done.store(true, std::memory_order_release);
    }
}

} // namespace chorus::host
