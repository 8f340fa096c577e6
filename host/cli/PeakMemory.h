#pragma once

namespace chorus::host {

// The most memory the process has held resident so far (peak working set on Windows), in bytes; 0 when
// the system does not tell.
class PeakMemory {
public:
    static long long residentBytes();
};

} // namespace chorus::host
