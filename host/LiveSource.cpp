#include "host/LiveSource.h"

#include "host/ChangeLog.h"
#include "host/HostedPlugin.h"

#include <algorithm>
#include <cmath>

namespace chorus::host {

LiveSource::LiveSource(HostedPlugin& hosted, const AudioFile& input, int blockSize, bool loop,
                       AutomationSchedule* automation, ChangeLog* sent)
    : plugin(hosted), schedule(automation), log(sent), block(std::max(blockSize, 1)), rate(input.sampleRate),
      looping(loop), total(input.frames()) {
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
    if (schedule != nullptr) {
        changes.reserve(schedule->maxChanges());
    }
    if (total == 0 && !looping) {
        done.store(true, std::memory_order_release);
    }
}

void LiveSource::render(float* interleaved, int frames) noexcept {
    float loudest = peak.load(std::memory_order_relaxed);
    long long handed = rendered.load(std::memory_order_relaxed);
    while (frames > 0) {
        if (served == made) {
            processBlock();
        }
        const int n = std::min(frames, made - served);
        for (int j = 0; j < n; ++j) {
            for (int c = 0; c < channels; ++c) {
                const float sample = out[static_cast<std::size_t>(c)][static_cast<std::size_t>(served + j)];
                interleaved[j * channels + c] = sample;
                loudest = std::fmax(loudest, std::fabs(sample));
            }
        }
        served += n;
        interleaved += n * channels;
        frames -= n;
        handed += n;
    }
    rendered.store(handed, std::memory_order_relaxed);
    peak.store(loudest, std::memory_order_relaxed);
    if (!looping && handed >= total) {
        done.store(true, std::memory_order_release);
    }
}

void LiveSource::processBlock() noexcept {
    long long end = streamFrame + block;
    if (schedule != nullptr && streamFrame < schedule->endFrame()) {
        schedule->changesAt(streamFrame, changes);
        for (const auto& change : changes) {
            send(change);
        }
        end = std::min(end, schedule->nextBoundary(streamFrame));
    }
    const auto n = static_cast<int>(end - streamFrame);
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
    streamFrame = end;
    made = n;
    served = 0;
}

void LiveSource::send(const AutomationSchedule::Change& change) noexcept {
    if (change.program) {
        plugin.dispatch(opSelectProgram, 0, change.index);
    } else {
        plugin.setParameter(change.index, change.value);
    }
    if (log != nullptr) {
        log->push(streamFrame, change);
    }
}

} // namespace chorus::host
