// The block kernel with SSE2, the baseline every x86 build has: two double lanes per operation.
#include "dsp/StageKernel.h"

#include <emmintrin.h>

namespace chorus {
namespace {

struct Sse2Vectors {
    static constexpr int width = 2;
    static constexpr int inputStep = 4; // floats per input store
    using D = __m128d;
    using F = __m128; // the low two lanes are used
    using I = __m128i;

    static D set1(double v) noexcept { return _mm_set1_pd(v); }
    static D laneIndex() noexcept { return _mm_setr_pd(0.0, 1.0); }
    static D add(D a, D b) noexcept { return _mm_add_pd(a, b); }
    static D sub(D a, D b) noexcept { return _mm_sub_pd(a, b); }
    static D mul(D a, D b) noexcept { return _mm_mul_pd(a, b); }
    static D min(D a, D b) noexcept { return _mm_min_pd(a, b); } // b where either is NaN
    static D max(D a, D b) noexcept { return _mm_max_pd(a, b); } // b where either is NaN
    static D less(D a, D b) noexcept { return _mm_cmplt_pd(a, b); }
    static D lessEqual(D a, D b) noexcept { return _mm_cmple_pd(a, b); }
    static D greater(D a, D b) noexcept { return _mm_cmpgt_pd(a, b); }
    static D greaterEqual(D a, D b) noexcept { return _mm_cmpge_pd(a, b); }
    static D select(D mask, D a, D b) noexcept {
        return _mm_or_pd(_mm_and_pd(mask, a), _mm_andnot_pd(mask, b));
    }

    static D andMask(D a, D b) noexcept { return _mm_and_pd(a, b); }
    static bool anyOutside(D v, D low, D high) noexcept {
        return _mm_movemask_pd(_mm_or_pd(_mm_cmplt_pd(v, low), _mm_cmpge_pd(v, high))) != 0;
    }
    static D xorBits(D a, D b) noexcept { return _mm_xor_pd(a, b); }
    // Toward zero through a 32-bit integer and back: exact for |x| < 2^31.
    static D truncateSmall(D x) noexcept { return _mm_cvtepi32_pd(_mm_cvttpd_epi32(x)); }

    static I toInt(D v) noexcept { return _mm_cvttpd_epi32(v); }
    // To the nearest integer, ties to even (the processor's default rounding).
    static I roundToInt(D v) noexcept { return _mm_cvtpd_epi32(v); }
    static D intToDouble(I v) noexcept { return _mm_cvtepi32_pd(v); }
    static I set1Int(int v) noexcept { return _mm_set1_epi32(v); }
    static I intLaneIndex() noexcept { return _mm_setr_epi32(0, 1, 0, 0); }
    static I addInt(I a, I b) noexcept { return _mm_add_epi32(a, b); }
    static I subInt(I a, I b) noexcept { return _mm_sub_epi32(a, b); }
    // All ones in the double lanes whose integer has `bit` set.
    static D bitMask(I v, int bit) noexcept {
        const I wide = _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 1, 0, 0));
        const I b = _mm_set1_epi32(bit);
        return _mm_castsi128_pd(_mm_cmpeq_epi32(_mm_and_si128(wide, b), b));
    }

    static F set1F(float v) noexcept { return _mm_set1_ps(v); }
    static F addF(F a, F b) noexcept { return _mm_add_ps(a, b); }
    static F subF(F a, F b) noexcept { return _mm_sub_ps(a, b); }
    static F lessEqualF(F a, F b) noexcept { return _mm_cmple_ps(a, b); }
    static F selectF(F mask, F a, F b) noexcept {
        return _mm_or_ps(_mm_and_ps(mask, a), _mm_andnot_ps(mask, b));
    }
    static F mulF(F a, F b) noexcept { return _mm_mul_ps(a, b); }
    static F loadFloats(const float* p) noexcept {
        return _mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
    }
    static void storeFloats(float* p, F v) noexcept {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), _mm_castps_si128(v));
    }
    static F loadInputs(const float* p) noexcept { return _mm_loadu_ps(p); }
    static void storeInputs(float* p, F v) noexcept { _mm_storeu_ps(p, v); }
    static D toDouble(F v) noexcept { return _mm_cvtps_pd(v); }
    static F toFloat(D v) noexcept { return _mm_cvtpd_ps(v); }

    // base[index - 1] into older and base[index] into newer, per lane: one 8-byte load per lane.
    static void loadPairs(const float* base, I index, F& older, F& newer) noexcept {
        const int i0 = _mm_cvtsi128_si32(index);
        const int i1 = _mm_cvtsi128_si32(_mm_shuffle_epi32(index, 1));
        const I p0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(base + i0 - 1));
        const I p1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(base + i1 - 1));
        const F both = _mm_castsi128_ps(_mm_unpacklo_epi64(p0, p1)); // older0 newer0 older1 newer1
        older = _mm_shuffle_ps(both, both, _MM_SHUFFLE(2, 0, 2, 0));
        newer = _mm_shuffle_ps(both, both, _MM_SHUFFLE(3, 1, 3, 1));
    }
};

} // namespace
} // namespace chorus

#include "dsp/StageKernelBody.h"

namespace chorus {
const StageKernel sse2StageKernel = KernelFor<Sse2Vectors>::table();
} // namespace chorus
