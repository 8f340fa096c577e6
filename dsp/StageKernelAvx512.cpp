// The block kernel with AVX-512: eight double lanes per operation, the tap pairs fetched by one gather. Built
// for AVX-512 by a target pragma like the AVX2 file and chosen at run time. Not part of the Windows builds:
// their stack is not aligned for 64-byte spills, and nothing here could prove them on a 32-bit system.
#include "dsp/StageKernel.h"

#if CHORUS_AVX512_KERNEL

#include <bit>
#include <cmath>
#include <cstdint>
#include <immintrin.h>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,avx512dq,avx512vl"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx512f,avx512dq,avx512vl")
// GCC 12's AVX-512 intrinsics start their results from a self-initialised "undefined" vector.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace chorus {
namespace {

struct Avx512Vectors {
    static constexpr int width = 8;
    static constexpr int inputStep = 8;
    static constexpr int windowSize = 16; // samples one permutation picks from
    static constexpr int windowSlack = 1; // samples the window starts before the first lane's pair
    using D = __m512d;
    using F = __m256;
    using I = __m256i;

    // Comparisons give all-ones lanes, as the other kernels' do, so that the shared body can mask with them.
    static D fromMask(__mmask8 m) noexcept { return _mm512_castsi512_pd(_mm512_movm_epi64(m)); }
    static __mmask8 toMask(D v) noexcept { return _mm512_movepi64_mask(_mm512_castpd_si512(v)); }

    static D set1(double v) noexcept { return _mm512_set1_pd(v); }
    static D laneIndex() noexcept { return _mm512_setr_pd(0.0, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0); }
    static D add(D a, D b) noexcept { return _mm512_add_pd(a, b); }
    static D sub(D a, D b) noexcept { return _mm512_sub_pd(a, b); }
    static D mul(D a, D b) noexcept { return _mm512_mul_pd(a, b); }
    static D mulAdd(D a, D b, D c) noexcept { return _mm512_fmadd_pd(a, b, c); } // a * b + c, one rounding
    static D min(D a, D b) noexcept { return _mm512_min_pd(a, b); }              // b where either is NaN
    static D max(D a, D b) noexcept { return _mm512_max_pd(a, b); }              // b where either is NaN
    static D less(D a, D b) noexcept { return fromMask(_mm512_cmp_pd_mask(a, b, _CMP_LT_OS)); }
    static D lessEqual(D a, D b) noexcept { return fromMask(_mm512_cmp_pd_mask(a, b, _CMP_LE_OS)); }
    static D greater(D a, D b) noexcept { return fromMask(_mm512_cmp_pd_mask(a, b, _CMP_GT_OS)); }
    static D greaterEqual(D a, D b) noexcept { return fromMask(_mm512_cmp_pd_mask(a, b, _CMP_GE_OS)); }
    static D select(D mask, D a, D b) noexcept { return _mm512_mask_blend_pd(toMask(mask), b, a); }
    static D andMask(D a, D b) noexcept { return _mm512_and_pd(a, b); }
    static bool anyOutside(D v, D low, D high) noexcept {
        return (_mm512_cmp_pd_mask(v, low, _CMP_LT_OS) | _mm512_cmp_pd_mask(v, high, _CMP_GE_OS)) != 0;
    }
    // Odd quadrants exchange sin and cos; sin is negative in quadrants 2 and 3, cos in 1 and 2 (bit 1 of
    // n + 1 is bit 1 of n flipped by bit 0).
    static void applyQuadrant(I quadrant, D s, D c, D& sine, D& cosine) noexcept {
        const __m512i n = _mm512_cvtepi32_epi64(quadrant);
        const __mmask8 odd = _mm512_test_epi64_mask(n, _mm512_set1_epi64(1));
        const __mmask8 sineNegative = _mm512_test_epi64_mask(n, _mm512_set1_epi64(2));
        const __mmask8 cosineNegative = _kxor_mask8(sineNegative, odd);
        const D signBit = _mm512_set1_pd(-0.0);
        sine = _mm512_mask_blend_pd(odd, s, c);
        cosine = _mm512_mask_blend_pd(odd, c, s);
        sine = _mm512_mask_xor_pd(sine, sineNegative, sine, signBit);
        cosine = _mm512_mask_xor_pd(cosine, cosineNegative, cosine, signBit);
    }
    static D xorBits(D a, D b) noexcept { return _mm512_xor_pd(a, b); }
    static D truncateSmall(D x) noexcept {
        return _mm512_roundscale_pd(x, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
    }

    static I toInt(D v) noexcept { return _mm512_cvttpd_epi32(v); }
    static I roundToInt(D v) noexcept { return _mm512_cvtpd_epi32(v); }
    static D intToDouble(I v) noexcept { return _mm512_cvtepi32_pd(v); }
    static I set1Int(int v) noexcept { return _mm256_set1_epi32(v); }
    static I intLaneIndex() noexcept { return _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7); }
    static I addInt(I a, I b) noexcept { return _mm256_add_epi32(a, b); }
    static I subInt(I a, I b) noexcept { return _mm256_sub_epi32(a, b); }
    static D bitMask(I v, int bit) noexcept {
        return fromMask(_mm512_test_epi64_mask(_mm512_cvtepi32_epi64(v), _mm512_set1_epi64(bit)));
    }

    static F set1F(float v) noexcept { return _mm256_set1_ps(v); }
    static F addF(F a, F b) noexcept { return _mm256_add_ps(a, b); }
    static F subF(F a, F b) noexcept { return _mm256_sub_ps(a, b); }
    static F lessEqualF(F a, F b) noexcept { return _mm256_cmp_ps(a, b, _CMP_LE_OS); }
    static F selectF(F mask, F a, F b) noexcept { return _mm256_blendv_ps(b, a, mask); }
    static F mulF(F a, F b) noexcept { return _mm256_mul_ps(a, b); }
    static F loadFloats(const float* p) noexcept { return _mm256_loadu_ps(p); }
    static void storeFloats(float* p, F v) noexcept { _mm256_storeu_ps(p, v); }
    static F loadInputs(const float* p) noexcept { return _mm256_loadu_ps(p); }
    static void storeInputs(float* p, F v) noexcept { _mm256_storeu_ps(p, v); }
    static D toDouble(F v) noexcept { return _mm512_cvtps_pd(v); }
    static F toFloat(D v) noexcept { return _mm512_cvtpd_ps(v); }

    // base[index - 1] into older and base[index] into newer. Neighbouring frames read neighbouring
    // samples, so the eight pairs mostly lie in one window of sixteen samples starting just before the
    // first lane's: one load (inside the history's margins) and two permutations. Pairs spread wider take
    // a gather.
    static void loadPairs(const float* base, I index, F& older, F& newer) noexcept {
        static_assert(windowSlack < StageKernel::readMargin &&
                      windowSize - windowSlack < StageKernel::readMargin);
        const I firstLane = _mm256_broadcastd_epi32(_mm256_castsi256_si128(index));
        const I olderAt =
            _mm256_add_epi32(_mm256_sub_epi32(index, firstLane), _mm256_set1_epi32(windowSlack));
        if (_mm256_cmple_epu32_mask(olderAt, _mm256_set1_epi32(windowSize - 2)) == 0xFF) {
            const __m512 window = _mm512_loadu_ps(base + _mm256_cvtsi256_si32(index) - 1 - windowSlack);
            const I newerAt = _mm256_add_epi32(olderAt, _mm256_set1_epi32(1));
            older = _mm512_castps512_ps256(_mm512_permutexvar_ps(_mm512_castsi256_si512(olderAt), window));
            newer = _mm512_castps512_ps256(_mm512_permutexvar_ps(_mm512_castsi256_si512(newerAt), window));
            return;
        }
        const __m512i pairs = _mm512_i32gather_epi64(index, base - 1, 4);
        older = _mm256_castsi256_ps(_mm512_cvtepi64_epi32(pairs));
        newer = _mm256_castsi256_ps(_mm512_cvtepi64_epi32(_mm512_srli_epi64(pairs, 32)));
    }
};

} // namespace
} // namespace chorus

#include "dsp/StageKernelBody.h"

namespace chorus {
const StageKernel avx512StageKernel = KernelFor<Avx512Vectors>::table();
} // namespace chorus

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC diagnostic pop
#pragma GCC pop_options
#endif

#endif // CHORUS_AVX512_KERNEL
