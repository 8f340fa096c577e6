#pragma once

#include "host/audio/AudioFile.h"
#include "host/audio/AudioSource.h"
#include "host/session/AutomationSchedule.h"
#include "host/session/BlockScheduler.h"
#include "host/session/Session.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace chorus::host {

class ChangeLog;
class HostedPlugin;

// The sound a live host plays: an input signal run through a plug-in, pulled by the audio device's thread
// in whatever amounts the device asks for. The plug-in's replacing entry gets the blocks a render with the
// same block size makes (the same block scheduler cuts them); what a block makes beyond a request waits
// for the next one.
// So the sound does not depend on how the device slices it. Everything is allocated at construction:
// render neither allocates, locks nor waits, so the device thread can call it while the user edits on the
// window's thread (the plug-in's own parameter exchange carries those edits across).
class LiveSource final : public AudioSource {
public:
    // A mono input is spread over both channels; channels beyond two are not played. A schedule must be
    // started and outlive the source; its frames count from the start of the stream (a looping input does
    // not replay them) and nothing at or after its end frame is sent. A log gets every change sent.
    LiveSource(HostedPlugin& plugin, const AudioFile& input, int blockFrames, bool loop,
               AutomationSchedule* schedule = nullptr, ChangeLog* log = nullptr);
    LiveSource(const LiveSource&) = delete;
    LiveSource& operator=(const LiveSource&) = delete;

    static constexpr int demoSampleRate = 44100; // Hz

    // The input a live command plays: the file, or the demo signal when the path is empty; mono or stereo.
    static bool readInput(const std::string& path, AudioFile& input, std::string& error);
    // The session of live play: the input's rate and pins, the device block, and changes counted from the
    // start of playing, so a loop does not replay them; they end with the input, or when looping after
    // seconds (else never).
    static Session::Shape sessionShape(const AudioFile& input, int blockFrames, bool loop,
                                       std::optional<double> seconds);

    // Ends the sound after frames frames (counted from the first handed to the device) when that comes
    // before the input's end; a looping source then ends too. Call it before the device pulls.
    void endAt(long long frames) noexcept;

    // Writes frames interleaved stereo frames. finished() turns true once the last frame is out (the input's,
    // or endAt's); what the device asks for after it is silence, not counted in framesRendered().
    void render(float* interleaved, int frames) noexcept override;

    bool finished() const noexcept { return done.load(std::memory_order_acquire); }
    long long framesRendered() const noexcept { return rendered.load(std::memory_order_relaxed); }
    float peakLevel() const noexcept { return peak.load(std::memory_order_relaxed); }
    int blockFrames() const noexcept { return scheduler.blockFrames(); }
    int sampleRate() const noexcept override { return rate; }
    long long inputFrames() const noexcept { return total; }

private:
    // Sends the changes due, then runs the next block through the plug-in into out.
    void processBlock() noexcept;

    BlockScheduler scheduler;
    ChangeLog* log;
    int rate;
    bool looping;
    long long total = 0;
    long long end;             // frames to hand out
    long long position = 0;    // in the input
    int made = 0;              // frames of the last block in out
    int served = 0;            // of them, frames handed to the device
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
