#include "FuzzCheck.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

void fuzzFail(const char* what) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

bool terminatedWithin(const char* text, int size) {
    return size > 0 && std::memchr(text, '\0', static_cast<size_t>(size)) != nullptr;
}
