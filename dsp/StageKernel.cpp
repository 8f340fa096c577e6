#include "dsp/StageKernel.h"

namespace chorus {

namespace {

#ifndef CHORUS_KERNEL_SSE2_ONLY
// Asked once: false also where the system does not save the wide registers.
bool processorHas(KernelIsa isa) noexcept {
    __builtin_cpu_init();
    if (isa == KernelIsa::avx2) {
        return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("fma") != 0;
    }
    return CHORUS_AVX512_KERNEL && __builtin_cpu_supports("avx512f") != 0 &&
           __builtin_cpu_supports("avx512dq") != 0 && __builtin_cpu_supports("avx512vl") != 0;
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
    static const bool avx2 = processorHas(KernelIsa::avx2);
    static const bool avx512 = processorHas(KernelIsa::avx512);
    return isa == KernelIsa::avx2 ? avx2 : avx512;
#endif
}

KernelIsa StageKernel::fastestIsa() noexcept {
    if (supported(KernelIsa::avx512)) {
        return KernelIsa::avx512;
    }
    return supported(KernelIsa::avx2) ? KernelIsa::avx2 : KernelIsa::sse2;
}

const StageKernel& StageKernel::forIsa(KernelIsa isa) noexcept {
    if (!supported(isa)) {
        return sse2StageKernel;
    }
#if CHORUS_AVX512_KERNEL && !defined(CHORUS_KERNEL_SSE2_ONLY)
    if (isa == KernelIsa::avx512) {
        return avx512StageKernel;
    }
#endif
    return isa == KernelIsa::avx2 ? avx2StageKernel : sse2StageKernel;
}

} // namespace chorus
