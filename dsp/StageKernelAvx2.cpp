// The block kernel with AVX2 and FMA: four double lanes per operation. Only this file's functions are built
// for them (GCC's target pragma or clang's target attribute, not a global flag), and the kernel is chosen at
// run time, so the module still runs on SSE2-only processors. The standard headers come first, outside the
// pragma, so that none of their inline functions is compiled for AVX2.
#include "dsp/StageKernel.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <immintrin.h>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2,fma")
#endif

namespace chorus {
namespace {

struct Avx2Vectors {
    static constexpr int width = 4;
    static constexpr int inputStep = 4; // floats per input store
    using D = __m256d;
    using F = __m128;
    using I = __m128i;

    static D set1(double v) noexcept { return _mm256_set1_pd(v); }
    static D laneIndex() noexcept { return _mm256_setr_pd(0.0, 1.0, 2.0, 3.0); }
    static D add(D a, D b) noexcept { return _mm256_add_pd(a, b); }
    static D sub(D a, D b) noexcept { return _mm256_sub_pd(a, b); }
    static D mul(D a, D b) noexcept { return _mm256_mul_pd(a, b); }
    static D mulAdd(D a, D b, D c) noexcept { return _mm256_fmadd_pd(a, b, c); } // a * b + c, one rounding
    static D min(D a, D b) noexcept { return _mm256_min_pd(a, b); }              // b where either is NaN
    static D max(D a, D b) noexcept { return _mm256_max_pd(a, b); }              // b where either is NaN
    static D less(D a, D b) noexcept { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
    static D lessEqual(D a, D b) noexcept { return _mm256_cmp_pd(a, b, _CMP_LE_OQ); }
    static D greater(D a, D b) noexcept { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
    static D greaterEqual(D a, D b) noexcept { return _mm256_cmp_pd(a, b, _CMP_GE_OQ); }
    static D select(D mask, D a, D b) noexcept { return _mm256_blendv_pd(b, a, mask); }
    static D andMask(D a, D b) noexcept { return _mm256_and_pd(a, b); }
    static bool anyOutside(D v, D low, D high) noexcept {
        return _mm256_movemask_pd(
                   _mm256_or_pd(_mm256_cmp_pd(v, low, _CMP_LT_OQ), _mm256_cmp_pd(v, high, _CMP_GE_OQ))) != 0;
    }
    static D xorBits(D a, D b) noexcept { return _mm256_xor_pd(a, b); }
    static D truncateSmall(D x) noexcept {
        return _mm256_round_pd(x, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
    }

    static I toInt(D v) noexcept { return _mm256_cvttpd_epi32(v); }
    static I roundToInt(D v) noexcept { return _mm256_cvtpd_epi32(v); }
    static D intToDouble(I v) noexcept { return _mm256_cvtepi32_pd(v); }
    static I set1Int(int v) noexcept { return _mm_set1_epi32(v); }
    static I intLaneIndex() noexcept { return _mm_setr_epi32(0, 1, 2, 3); }
    static I addInt(I a, I b) noexcept { return _mm_add_epi32(a, b); }
    static I subInt(I a, I b) noexcept { return _mm_sub_epi32(a, b); }
    static D bitMask(I v, int bit) noexcept {
        const __m256i wide = _mm256_cvtepi32_epi64(v);
        const __m256i b = _mm256_set1_epi64x(bit);
        return _mm256_castsi256_pd(_mm256_cmpeq_epi64(_mm256_and_si256(wide, b), b));
    }

    static F set1F(float v) noexcept { return _mm_set1_ps(v); }
    static F addF(F a, F b) noexcept { return _mm_add_ps(a, b); }
    static F subF(F a, F b) noexcept { return _mm_sub_ps(a, b); }
    static F lessEqualF(F a, F b) noexcept { return _mm_cmple_ps(a, b); }
    static F selectF(F mask, F a, F b) noexcept { return _mm_blendv_ps(b, a, mask); }
    static F mulF(F a, F b) noexcept { return _mm_mul_ps(a, b); }
    static F loadFloats(const float* p) noexcept { return _mm_loadu_ps(p); }
    static void storeFloats(float* p, F v) noexcept { _mm_storeu_ps(p, v); }
    static F loadInputs(const float* p) noexcept { return _mm_loadu_ps(p); }
    static void storeInputs(float* p, F v) noexcept { _mm_storeu_ps(p, v); }
    static D toDouble(F v) noexcept { return _mm256_cvtps_pd(v); }
    static F toFloat(D v) noexcept { return _mm256_cvtpd_ps(v); }

    // base[index - 1] into older and base[index] into newer: one 8-byte load per lane, cheaper than
    // two gathers.
    static void loadPairs(const float* base, I index, F& older, F& newer) noexcept {
        const float* p = base - 1;
        const __m128i p0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + _mm_cvtsi128_si32(index)));
        const __m128i p1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + _mm_extract_epi32(index, 1)));
        const __m128i p2 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + _mm_extract_epi32(index, 2)));
        const __m128i p3 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + _mm_extract_epi32(index, 3)));
        const F low = _mm_castsi128_ps(_mm_unpacklo_epi64(p0, p1));
        const F high = _mm_castsi128_ps(_mm_unpacklo_epi64(p2, p3));
        older = _mm_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0));
        newer = _mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1));
    }
};

} // namespace
} // namespace chorus

#include "dsp/StageKernelBody.h"

namespace chorus {
const StageKernel avx2StageKernel = KernelFor<Avx2Vectors>::table();
} // namespace chorus

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
