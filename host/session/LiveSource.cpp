#include "host/session/LiveSource.h"

#include "host/audio/DemoSignal.h"
#include "host/session/ChangeLog.h"
#include "host/session/HostedPlugin.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace chorus::host {

namespace {

constexpr int maxChannels = 2;
constexpr long long never = std::numeric_limits<long long>::max();

} // namespace

bool LiveSource::readInput(const std::string& path, AudioFile& input, std::string& error) {
    if (path.empty()) {
        input = DemoSignal::generate(demoSampleRate, DemoSignal::defaultSeconds);
        return true;
    }
    if (!input.read(path, error)) {
        return false;
    }
    if (input.channels > maxChannels) {
        error = path + " has " + std::to_string(input.channels) + " channels; mono or stereo only";
        return false;
    }
    return true;
}

Session::Shape LiveSource::sessionShape(const AudioFile& input, int blockFrames, bool loop,
                                        std::optional<double> seconds) {
    Session::Shape shape;
    shape.sampleRate = input.sampleRate;
    shape.blockSize = blockFrames;
    shape.inputPins = input.channels;
    shape.outputPins = channels;
    shape.namePrograms = true;
    shape.endFrame = loop ? never : input.frames();
    if (seconds) {
        shape.endFrame = std::min(shape.endFrame, std::llround(*seconds * input.sampleRate));
    }
    return shape;
}

LiveSource::LiveSource(HostedPlugin& hosted, const AudioFile& input, int blockSize, bool loop,
                       AutomationSchedule* automation, ChangeLog* sent)
    : scheduler(hosted, automation, blockSize), log(sent), rate(input.sampleRate), looping(loop),
      total(input.frames()), end(loop ? never : total) {
    signal.resize(static_cast<std::size_t>(total) * channels);
    for (long long i = 0; i < total; ++i) {
        for (int c = 0; c < channels; ++c) {
            signal[static_cast<std::size_t>(i * channels + c)] =
                input.channels > 0 ? input.sample(i, std::min(c, input.channels - 1)) : 0.0f;
        }
    }
    // The plug-in may declare more pins than the two that sound: every pin gets a buffer.
    const EffectDescriptor* d = hosted.descriptor();
    const int pinsIn = std::max(channels, d != nullptr ? static_cast<int>(d->inputCount) : 0);
    const int pinsOut = std::max(channels, d != nullptr ? static_cast<int>(d->outputCount) : 0);
    in.assign(static_cast<std::size_t>(pinsIn),
              std::vector<float>(static_cast<std::size_t>(scheduler.blockFrames()), 0.0f));
    out.assign(static_cast<std::size_t>(pinsOut),
               std::vector<float>(static_cast<std::size_t>(scheduler.blockFrames()), 0.0f));
    for (auto& buffer : in) {
        inputs.push_back(buffer.data());
    }
    for (auto& buffer : out) {
        outputs.push_back(buffer.data());
    }
    if (end == 0) {
        done.store(true, std::memory_order_release);
    }
}

void LiveSource::endAt(long long frames) noexcept {
    end = std::max(0LL, std::min(end, frames));
    if (rendered.load(std::memory_order_relaxed) >= end) {
        done.store(true, std::memory_order_release);
    }
}

void LiveSource::render(float* interleaved, int frames) noexcept {
    float loudest = peak.load(std::memory_order_relaxed);
    long long handed = rendered.load(std::memory_order_relaxed);
    // Past the end the device gets silence: the count stays the sound's, whatever the device asks for.
    const auto sounding = static_cast<int>(std::min<long long>(frames, end - handed));
    std::fill_n(interleaved + static_cast<std::ptrdiff_t>(std::max(sounding, 0)) * channels,
                static_cast<std::ptrdiff_t>(frames - std::max(sounding, 0)) * channels, 0.0f);
    frames = std::max(sounding, 0);
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
    if (handed >= end) {
        done.store(true, std::memory_order_release);
    }
}

void LiveSource::processBlock() noexcept {
    const int n =
        scheduler.begin(std::numeric_limits<long long>::max(), [this](const auto& change, long long frame) {
            if (log != nullptr) {
                log->push(frame, change);
            }
        });
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
    scheduler.process(inputs.data(), outputs.data(), n, true);
    made = n;
    served = 0;
}

} // namespace chorus::host
