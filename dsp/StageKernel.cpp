#include "dsp/StageKernel.h"

namespace chorus {

namespace {

#ifndef CHORUS_KERNEL_SSE2_ONLY
// Asked once: false also where the system does not save the wide registers.
bool processorHasAvx2() noexcept {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
}
#endif

} // namespace

bool StageKernel::supported(KernelIsa isa) noexcept {
    if (isa == KernelIsa::sse2) {
        return true;
    }
#ifdef CHORUS_KERNEL_SSE2_ONLY
    return false; // a build held to the baseline
#else
    static const bool avx2 = processorHasAvx2();
    return avx2;
#endif
}

KernelIsa StageKernel::fastestIsa() noexcept {
    return supported(KernelIsa::avx2) ? KernelIsa::avx2 : KernelIsa::sse2;
}

const StageKernel& StageKernel::forIsa(KernelIsa isa) noexcept {
    return isa == KernelIsa::avx2 && supported(KernelIsa::avx2) ? avx2StageKernel : sse2StageKernel;
}

} // namespace chorus
