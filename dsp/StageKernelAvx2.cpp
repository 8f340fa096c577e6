// The block kernel with AVX2: four double lanes per operation. Only this file's functions are built for
// AVX2 (a target pragma, not a global flag), and the kernel is chosen at run time, so the module still
// runs on SSE2-only processors. The standard headers come first, outside the pragma, so that none of
// their inline functions is compiled for AVX2.
#include "dsp/StageKernel.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <immintrin.h>

#pragma GCC push_options
#pragma GCC target("avx2")

namespace chorus {
namespace {

struct Avx2Vectors {
    static constexpr int width = 4;
    using D = __m256d;
    using F = __m128;
    using I = __m128i;

    static D set1(double v) noexcept { return _mm256_set1_pd(v); }
    static D laneIndex() noexcept { return _mm256_setr_pd(0.0, 1.0, 2.0, 3.0); }
    static D add(D a, D b) noexcept { return _mm256_add_pd(a, b); }
    static D sub(D a, D b) noexcept { return _mm256_sub_pd(a, b); }
    static D mul(D a, D b) noexcept { return _mm256_mul_pd(a, b); }
    static D min(D a, D b) noexcept { return _mm256_min_pd(a, b); }
    static D negate(D a) noexcept { return _mm256_xor_pd(a, _mm256_set1_pd(-0.0)); }
    static D less(D a, D b) noexcept { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
    static D lessEqual(D a, D b) noexcept { return _mm256_cmp_pd(a, b, _CMP_LE_OQ); }
    static D greater(D a, D b) noexcept { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
    static D greaterEqual(D a, D b) noexcept { return _mm256_cmp_pd(a, b, _CMP_GE_OQ); }
    static D equal(D a, D b) noexcept { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
    static D orMask(D a, D b) noexcept { return _mm256_or_pd(a, b); }
    static D maskToOne(D mask) noexcept { return _mm256_and_pd(mask, _mm256_set1_pd(1.0)); }
    static D select(D mask, D a, D b) noexcept { return _mm256_blendv_pd(b, a, mask); }
    // Ties to even, like the SSE2 version's 2^52 trick; both are exact.
    static D roundNonNegative(D x) noexcept {
        return _mm256_round_pd(x, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    }
    static D floorNonNegative(D x) noexcept {
        return _mm256_round_pd(x, _MM_FROUND_TO_NEG_INF | _MM_FROUND_NO_EXC);
    }

    static F set1F(float v) noexcept { return _mm_set1_ps(v); }
    static F addF(F a, F b) noexcept { return _mm_add_ps(a, b); }
    static F subF(F a, F b) noexcept { return _mm_sub_ps(a, b); }
    static F mulF(F a, F b) noexcept { return _mm_mul_ps(a, b); }
    static F loadFloats(const float* p) noexcept { return _mm_loadu_ps(p); }
    static void storeFloats(float* p, F v) noexcept { _mm_storeu_ps(p, v); }
    static D toDouble(F v) noexcept { return _mm256_cvtps_pd(v); }
    static F toFloat(D v) noexcept { return _mm256_cvtpd_ps(v); }

    static I toInt(D v) noexcept { return _mm256_cvttpd_epi32(v); }
    static F gather(const float* base, I index) noexcept { return _mm_i32gather_ps(base, index, 4); }
};

} // namespace
} // namespace chorus

#include "dsp/StageKernelBody.h"

namespace chorus {
const StageKernel avx2StageKernel = KernelFor<Avx2Vectors>::table();
} // namespace chorus

#pragma GCC pop_options
