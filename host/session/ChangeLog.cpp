#include "host/session/ChangeLog.h"

#include <algorithm>

namespace chorus::host {

ChangeLog::ChangeLog(std::size_t capacity) : entries(std::max<std::size_t>(capacity, 1)) {}

void ChangeLog::push(long long frame, const AutomationSchedule::Change& change) noexcept {
    const std::size_t next = written.load(std::memory_order_relaxed);
    if (next - taken.load(std::memory_order_acquire) == entries.size()) {
        lost.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    entries[next % entries.size()] = {frame, change};
    written.store(next + 1, std::memory_order_release);
}

bool ChangeLog::pop(Entry& entry) noexcept {
    const std::size_t next = taken.load(std::memory_order_relaxed);
    if (next == written.load(std::memory_order_acquire)) {
        return false;
    }
    entry = entries[next % entries.size()];
    taken.store(next + 1, std::memory_order_release);
    return true;
}

} // namespace chorus::host
