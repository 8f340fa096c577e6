#pragma once

// Invariant checks for the harnesses: a broken invariant aborts, which both libFuzzer and the driver
// report as a failure together with the input that caused it.
[[noreturn]] void fuzzFail(const char* what);

inline void fuzzCheck(bool condition, const char* what) {
    if (!condition) {
        fuzzFail(what);
    }
}

// True when a zero terminator lies within the first `size` bytes of text.
bool terminatedWithin(const char* text, int size);
