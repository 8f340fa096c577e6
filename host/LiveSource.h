#pragma once

#include "host/AudioFile.h"
#include "host/AutomationSchedule.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace chorus::host {

class ChangeLog;
class HostedPlugin;

// The sound a live host plays: an input signal run through a plug-in, pulled by the audio device's thread
// in whatever amounts the device asks for. The plug-in's replacing entry gets the blocks a render with the
// same block size makes: blockFrames counted from the start of the stream, cut short where a scheduled
// change is due, the changes sent just before; what a block makes beyond a request waits for the next one.
// So the sound does not depend on how the device slices it. Everything is allocated at construction:
// render neither allocates, locks nor waits, so the device thread can call it while the user edits on the
// window's thread (the plug-in's own parameter exchange carries those edits across).
class LiveSource {
public:
    static constexpr int channels = 2; // the device always gets stereo

    // A mono input is spread over both channels; channels beyond two are not played. A schedule must be
    // started and outlive the source; its frames count from the start of the stream (a looping input does
    // not replay them) and nothing at or after its end frame is sent. A log gets every change sent.
    LiveSource(HostedPlugin& plugin, const AudioFile& input, int blockFrames, bool loop,
               AutomationSchedule* schedule = nullptr, ChangeLog* log = nullptr);
    LiveSource(const LiveSource&) = delete;
    LiveSource& operator=(const LiveSource&) = delete;

    // Writes frames interleaved stereo frames. Past the end of a non-looping input the plug-in still runs
    // (its delay lines sound out) on silence, and finished() turns true once the input's last frame is out.
    void render(float* interleaved, int frames) noexcept;

    bool finished() const noexcept { return done.load(std::memory_order_acquire); }
    long long framesRendered() const noexcept { return rendered.load(std::memory_order_relaxed); }
    float peakLevel() const noexcept { return peak.load(std::memory_order_relaxed); }
    int blockFrames() const noexcept { return block; }
    int sampleRate() const noexcept { return rate; }
    long long inputFrames() const noexcept { return total; }

private:
    // Sends the changes due, then runs the next block through the plug-in into out.
    void processBlock() noexcept;
    void send(const AutomationSchedule::Change& change) noexcept;

    HostedPlugin& plugin;
    AutomationSchedule* schedule;
    ChangeLog* log;
    int block;
    int rate;
    bool looping;
    long long total = 0;
    long long position = 0;    // in the input
    long long streamFrame = 0; // frames run through the plug-in since the start
    int made = 0;              // frames of the last block in out
    int served = 0;            // of them, frames handed to the device
    std::vector<float> signal; // interleaved stereo
    std::vector<std::vector<float>> in;
    std::vector<std::vector<float>> out;
    std::vector<float*> inputs;
    std::vector<float*> outputs;
    std::vector<AutomationSchedule::Change> changes;
    std::atomic<bool> done{false};
    std::atomic<long long> rendered{0};
    std::atomic<float> peak{0.0f};
};

} // namespace chorus::host
