#include "host/session/BlockScheduler.h"

namespace chorus::host {

BlockScheduler::BlockScheduler(HostedPlugin& hosted, AutomationSchedule* automation, int blockFrames)
    : plugin(hosted), schedule(automation), block(std::max(blockFrames, 1)) {
    if (schedule != nullptr) {
        changes.reserve(schedule->maxChanges());
    }
}

void BlockScheduler::send(const AutomationSchedule::Change& change) noexcept {
    if (change.program) {
        plugin.dispatch(opSelectProgram, 0, change.index);
    } else {
        plugin.setParameter(change.index, change.value);
    }
}

} // namespace chorus::host
