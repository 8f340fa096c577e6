#pragma once

namespace chorus::host {

// Makes a crash of this process end it at once with a one-line report on standard output, instead of
// waiting for a debugger (Windows); elsewhere the parent sees the signal.
class CrashReporter {
public:
    static void install();
};

} // namespace chorus::host
