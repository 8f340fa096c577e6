#pragma once

#include "host/session/AutomationSchedule.h"
#include "host/session/HostedPlugin.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace chorus::host {

// The one loop a host runs a plug-in in, shared by render and live play so that play sounds exactly as
// render writes: the changes due at the stream's frame are sent, the block is cut where the next change is
// due, and the block is processed. Allocates at construction only: a device thread may drive it.
class BlockScheduler {
public:
    // A schedule (may be null) must be started and outlive the scheduler; its frames count from the start
    // of the stream, and nothing at or after its end frame is sent.
    BlockScheduler(HostedPlugin& plugin, AutomationSchedule* schedule, int blockFrames);

    // Sends the changes due at the stream's frame, calling sent(change, frame) after each, and answers the
    // frames of the block that starts there: the block size, cut at the next change and at most limit.
    template <class Sent>
    int begin(long long limit, Sent&& sent) noexcept;
    // Runs the block begin answered through the plug-in; the stream moves on by frames.
    void process(float** inputs, float** outputs, int frames, bool replacing) noexcept {
        plugin.process(inputs, outputs, static_cast<int32_t>(frames), replacing);
        streamFrame += frames;
    }

    long long frame() const noexcept { return streamFrame; }
    int blockFrames() const noexcept { return block; }

private:
    void send(const AutomationSchedule::Change& change) noexcept;

    HostedPlugin& plugin;
    AutomationSchedule* schedule;
    int block;
    long long streamFrame = 0;
    std::vector<AutomationSchedule::Change> changes;
};

template <class Sent>
int BlockScheduler::begin(long long limit, Sent&& sent) noexcept {
    long long end = streamFrame + std::min<long long>(block, limit);
    if (schedule != nullptr && streamFrame < schedule->endFrame()) {
        schedule->changesAt(streamFrame, changes);
        for (const auto& change : changes) {
            send(change);
            sent(change, streamFrame);
        }
        end = std::min(end, schedule->nextBoundary(streamFrame));
    }
    return static_cast<int>(end - streamFrame);
}

} // namespace chorus::host
