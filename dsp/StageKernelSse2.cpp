// The block kernel with SSE2, the baseline every x86 build has: two double lanes per operation.
#include "dsp/StageKernel.h"

#include <emmintrin.h>

namespace chorus {
namespace {

struct Sse2Vectors {
    static constexpr int width = 2;
    using D = __m128d;
    using F = __m128; // the low two lanes are used
    using I = __m128i;

    static D set1(double v) noexcept { return _mm_set1_pd(v); }
    static D laneIndex() noexcept { return _mm_setr_pd(0.0, 1.0); }
    static D add(D a, D b) noexcept { return _mm_add_pd(a, b); }
    static D sub(D a, D b) noexcept { return _mm_sub_pd(a, b); }
    static D mul(D a, D b) noexcept { return _mm_mul_pd(a, b); }
    static D min(D a, D b) noexcept { return _mm_min_pd(a, b); }
    static D negate(D a) noexcept { return _mm_xor_pd(a, _mm_set1_pd(-0.0)); }
    static D less(D a, D b) noexcept { return _mm_cmplt_pd(a, b); }
    static D lessEqual(D a, D b) noexcept { return _mm_cmple_pd(a, b); }
    static D greater(D a, D b) noexcept { return _mm_cmpgt_pd(a, b); }
    static D greaterEqual(D a, D b) noexcept { return _mm_cmpge_pd(a, b); }
    static D equal(D a, D b) noexcept { return _mm_cmpeq_pd(a, b); }
    static D orMask(D a, D b) noexcept { return _mm_or_pd(a, b); }
    static D maskToOne(D mask) noexcept { return _mm_and_pd(mask, _mm_set1_pd(1.0)); }
    static D select(D mask, D a, D b) noexcept {
        return _mm_or_pd(_mm_and_pd(mask, a), _mm_andnot_pd(mask, b));
    }

    // Adding and removing 2^52 rounds a value below 2^51 to the nearest integer; floor steps back one
    // where that went up. Both are exact.
    static D roundNonNegative(D x) noexcept {
        const D big = _mm_set1_pd(4503599627370496.0);
        return _mm_sub_pd(_mm_add_pd(x, big), big);
    }
    static D floorNonNegative(D x) noexcept {
        const D r = roundNonNegative(x);
        return _mm_sub_pd(r, maskToOne(_mm_cmpgt_pd(r, x)));
    }

    static F set1F(float v) noexcept { return _mm_set1_ps(v); }
    static F addF(F a, F b) noexcept { return _mm_add_ps(a, b); }
    static F subF(F a, F b) noexcept { return _mm_sub_ps(a, b); }
    static F mulF(F a, F b) noexcept { return _mm_mul_ps(a, b); }
    static F loadFloats(const float* p) noexcept {
        return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
    }
    static void storeFloats(float* p, F v) noexcept {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(v));
    }
    static D toDouble(F v) noexcept { return _mm_cvtps_pd(v); }
    static F toFloat(D v) noexcept { return _mm_cvtpd_ps(v); }

    static I toInt(D v) noexcept { return _mm_cvttpd_epi32(v); }
    static F gather(const float* base, I index) noexcept {
        const int i0 = _mm_cvtsi128_si32(index);
        const int i1 = _mm_cvtsi128_si32(_mm_srli_si128(index, 4));
        return _mm_unpacklo_ps(_mm_load_ss(base + i0), _mm_load_ss(base + i1));
    }
};

} // namespace
} // namespace chorus

#include "dsp/StageKernelBody.h"

namespace chorus {
const StageKernel sse2StageKernel = KernelFor<Sse2Vectors>::table();
} // namespace chorus
