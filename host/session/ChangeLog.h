#pragma once

#include "host/session/AutomationSchedule.h"

#include <atomic>
#include <cstddef>
#include <vector>

namespace chorus::host {

// The changes an audio thread sent, with their frames, for another thread to print: a ring of fixed size
// with one writer and one reader and no locks. The writer never waits: a change that finds the ring full
// is left out and counted.
class ChangeLog {
public:
    struct Entry {
        long long frame = 0;
        AutomationSchedule::Change change;
    };

    explicit ChangeLog(std::size_t capacity);
    ChangeLog(const ChangeLog&) = delete;
    ChangeLog& operator=(const ChangeLog&) = delete;

    // Writer only.
    void push(long long frame, const AutomationSchedule::Change& change) noexcept;
    // Reader only: the oldest entry not yet taken; false when there is none.
    bool pop(Entry& entry) noexcept;
    long long dropped() const noexcept { return lost.load(std::memory_order_relaxed); }

private:
    std::vector<Entry> entries;
    std::atomic<std::size_t> written{0}; // entries pushed so far; the writer's
    std::atomic<std::size_t> taken{0};   // entries popped so far; the reader's
    std::atomic<long long> lost{0};
};

} // namespace chorus::host
