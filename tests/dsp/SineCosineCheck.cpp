// The exhaustive check behind the kernel's sine: every float phase from 0 to 2 pi, with every kernel the
// processor runs, against the library's sin and cos rounded to float. Not part of the test run (about a
// minute natively, a few under Wine); run it after touching the polynomial or the reduction:
//   sine-cosine-check [STRIDE]     (STRIDE > 1 checks every STRIDE-th float only)
#include "SineCosineSweep.h"

#include <cstdlib>

int main(int argc, char** argv) {
    const long stride = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1;
    if (stride < 1 || stride > 1000000) {
        std::fprintf(stderr, "usage: sine-cosine-check [STRIDE]\n");
        return 2;
    }
    int failures = 0;
    for (chorus::KernelIsa isa :
         {chorus::KernelIsa::sse2, chorus::KernelIsa::avx2, chorus::KernelIsa::avx512}) {
        const char* names[] = {"sse2", "avx2", "avx512"};
        const char* name = names[static_cast<int>(isa)];
        if (!chorus::StageKernel::supported(isa)) {
            std::printf("%s: not supported here\n", name);
            continue;
        }
        const std::uint64_t mismatches =
            countSineCosineMismatches(isa, static_cast<std::uint32_t>(stride), stdout);
        std::printf("%s: %llu of the float phases in [0, 2 pi] (stride %ld) differ from the library\n", name,
                    static_cast<unsigned long long>(mismatches), stride);
        failures += mismatches != 0 ? 1 : 0;
    }
    return failures == 0 ? 0 : 1;
}
