// The block kernel's arithmetic, written once over a set of vector operations `V` (V::width lanes of
// double, the same number of float lanes). Each instruction-set file includes this after choosing its
// target, so everything here is compiled for that target; it has internal linkage on purpose, so that no
// copy built for one instruction set can stand in for another's.
//
// Every step reproduces the per-sample definition's roundings exactly: float operations stay float,
// double operations stay double, conversions happen where the definition converts, and nothing is fused
// or reassociated. The only replacements are exact ones, each explained where it is made.
#pragma once

#include "dsp/StageKernel.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace chorus {
namespace {

namespace k {

// Waveform constants, single precision as defined.
constexpr float pi = 3.1415927f;
constexpr float twoPi = 2.0f * pi;
constexpr float inverseTwoPi = 1.0f / twoPi;
constexpr float halfPi = pi * 0.5f;
constexpr float edge = 0.05f;
constexpr float topFraction = 1.0f - edge;
constexpr float edgeSlope = 1.0f / edge;
constexpr float topSlope = 1.0f / topFraction;
constexpr float sweepScale = 0.95f;
constexpr float denormalOffset = 1.0e-30f; // added to every input: keeps silent input off the denormal range

// The largest float not above x, for comparisons of a float with a double limit.
constexpr float floatAtMost(double x) {
    const float f = static_cast<float>(x);
    return static_cast<double>(f) <= x ? f : std::bit_cast<float>(std::bit_cast<std::uint32_t>(f) - 1);
}
constexpr float holdEnd = floatAtMost(0.5 - static_cast<double>(edge)); // trapezoid: +1 up to here
constexpr float fallEnd = floatAtMost(0.5 + static_cast<double>(edge)); // falling edge up to here
static_assert(holdEnd > 0.0f && fallEnd > holdEnd);

// The phase is counter * increment reduced modulo this double 2 pi.
constexpr double twoPiDouble = 6.283185307179586;
// Two-part 2 pi for an exact reduction: the high part keeps 27 significant bits, so for a quotient q below
// 2^26 both q * high and q * low (26 bits) are exact products.
constexpr double twoPiHigh =
    std::bit_cast<double>(std::bit_cast<std::uint64_t>(twoPiDouble) & ~((1ull << 26) - 1));
constexpr double twoPiLow = twoPiDouble - twoPiHigh;
// Counter * increment below this keeps the quotient below 2^26 (with one to spare for the correction).
constexpr double exactReductionLimit = 67108864.0 * 6.0;
constexpr double exactCounterLimit = 9007199254740992.0; // 2^53: counters convert to double exactly below

// pi / 2 in two parts: the first has 33 bits, so n * first is exact for the quadrant n <= 4 and the
// phase minus it is exact (the two are within a factor of two); the second carries the rest.
constexpr double twoOverPi = 0x1.45f306dc9c883p-1;
constexpr double halfPiHigh = 0x1.921fb54400000p+0;
constexpr double halfPiLow = 0x1.0b4611a626331p-34;

// Minimax polynomials for sin and cos on [-pi/4, pi/4], accurate to well under one double ulp: the float
// rounding of the result equals the float rounding of the library's sin and cos for every float phase from
// 0 to 2 pi (the exhaustive check, sine-cosine-check, confirms it for each kernel).
constexpr double sin1 = -0x1.5555555555549p-3;
constexpr double sin2 = 0x1.111111110f8a6p-7;
constexpr double sin3 = -0x1.a01a019c161d5p-13;
constexpr double sin4 = 0x1.71de357b1fe7dp-19;
constexpr double sin5 = -0x1.ae5e68a2b9cebp-26;
constexpr double sin6 = 0x1.5d93a5acfd57cp-33;
constexpr double cos1 = 0x1.555555555554cp-5;
constexpr double cos2 = -0x1.6c16c16c15177p-10;
constexpr double cos3 = 0x1.a01a019cb1590p-16;
constexpr double cos4 = -0x1.27e4f809c52adp-22;
constexpr double cos5 = 0x1.1ee9ebdb4b1c4p-29;
constexpr double cos6 = -0x1.8fae9be8838d4p-37;

} // namespace k

template <class V>
struct KernelFor {
    using D = typename V::D;
    using F = typename V::F;
    static constexpr int width = V::width;

    // 0, 1, ... width - 1.
    static D laneIndex() noexcept { return V::laneIndex(); }

    // fmod(counter * increment, 2 pi) for `count` consecutive frames, as float. While the quotient stays
    // below 2^26 it is computed exactly without the library: q = floor(x / 2 pi) is estimated, corrected
    // by one where the remainder falls outside [0, 2 pi), and x - q * 2 pi formed from exact pieces; the
    // exact remainder is representable (fmod's always is), so the last subtraction returns it unrounded.
    // Past the exact path's range, and for a block that crosses the counter's end (where the counter wraps
    // to 0 frame by frame), each phase comes from the library's fmod.
    static void phases(std::uint64_t first, float increment, float* phase, int count) noexcept {
        const double incrementD = static_cast<double>(increment);
        const auto span = static_cast<std::uint64_t>(count);
        const bool wraps = first > UINT64_MAX - span;
        const double lastCounter = static_cast<double>(first + span);
        if (!wraps && lastCounter < k::exactCounterLimit &&
            lastCounter * incrementD < k::exactReductionLimit) {
            // Counters below 2^53: (double)(first + j) == (double)first + j exactly.
            D counter = V::add(V::set1(static_cast<double>(first)), laneIndex());
            const D step = V::set1(static_cast<double>(width));
            const D inc = V::set1(incrementD);
            for (int j = 0; j < count; j += width) {
                const D x = V::mul(counter, inc);
                D q = V::truncateSmall(V::mul(x, V::set1(1.0 / k::twoPiDouble)));
                D r = remainder(x, q);
                // Lanes without a correction would add 0 to q >= 0 and get the same q and r back.
                if (V::anyOutside(r, V::set1(0.0), V::set1(k::twoPiDouble))) {
                    const D above = V::greaterEqual(r, V::set1(k::twoPiDouble));
                    const D below = V::less(r, V::set1(0.0));
                    q = V::add(q, V::sub(V::andMask(above, V::set1(1.0)), V::andMask(below, V::set1(1.0))));
                    r = remainder(x, q);
                }
                V::storeFloats(phase + j, V::toFloat(r));
                counter = V::add(counter, step);
            }
            return;
        }
        for (int j = 0; j < count; ++j) {
            const double x = static_cast<double>(first + static_cast<std::uint64_t>(j)) * incrementD;
            phase[j] = static_cast<float>(std::fmod(x, k::twoPiDouble));
        }
    }

    static D remainder(D x, D q) noexcept {
        return V::sub(V::sub(x, V::mul(q, V::set1(k::twoPiHigh))), V::mul(q, V::set1(k::twoPiLow)));
    }

    // frac(c) for c >= 0, in double.
    static D fraction(D c) noexcept { return V::sub(c, V::truncateSmall(c)); }

    // Shape 0: -1 to +1 over 95 % of the cycle, back to -1 over the last 5 %.
    static F ramp(D c) noexcept {
        const D one = V::set1(1.0);
        const D falling =
            V::sub(V::mul(V::set1(static_cast<double>(2.0f * k::edgeSlope)), V::sub(one, c)), one);
        const D rising = V::sub(V::mul(V::set1(static_cast<double>(2.0f * k::topSlope)), c), one);
        return V::toFloat(
            V::select(V::greater(c, V::set1(static_cast<double>(k::topFraction))), falling, rising));
    }

    // Shape 2, with c rounded to float first: all in float lanes. The two limits the definition compares in
    // double become the largest floats not above them, which decide every float c the same way.
    static F trapezoid(D c) noexcept {
        const F cs = V::toFloat(c);
        const F slope = V::set1F(k::edgeSlope);
        const F up = V::mulF(cs, slope);
        const F last = V::subF(up, slope);
        // edgeSlope * 0.5 - edgeSlope * c: the difference in double, from the float product.
        const F falling =
            V::toFloat(V::sub(V::set1(static_cast<double>(k::edgeSlope) * 0.5), V::toDouble(up)));
        F value = V::selectF(V::lessEqualF(cs, V::set1F(k::topFraction)), V::set1F(-1.0f), last);
        value = V::selectF(V::lessEqualF(cs, V::set1F(k::fallEnd)), falling, value);
        value = V::selectF(V::lessEqualF(cs, V::set1F(k::holdEnd)), V::set1F(1.0f), value);
        return V::selectF(V::lessEqualF(cs, V::set1F(k::edge)), up, value);
    }

    // a * b + c: fused where the kernel has a fused multiply-add, which saves an operation and a rounding;
    // either way the float results are the library's (the exhaustive check runs each kernel).
    static D mulAdd(D a, D b, D c) noexcept {
        if constexpr (requires { V::mulAdd(a, b, c); }) {
            return V::mulAdd(a, b, c);
        } else {
            return V::add(V::mul(a, b), c);
        }
    }
    // One Horner step: c + z * r.
    static D horner(D z, D r, double c) noexcept { return mulAdd(z, r, V::set1(c)); }

    // sin and cos of a phase 0 <= p <= 2 pi (rounded up to float 2 pi at most): the quadrant n is the
    // nearest multiple of pi / 2, a = p - n pi / 2 with pi / 2 in two parts, and Horner's rule evaluates
    // sin a = a + a^3 S(a^2) and cos a = 1 + a^2 C(a^2). The phase has only float precision, so a in one
    // double (no tail) and uncompensated sums already round to the library's float for every phase.
    static void sineCosine(D p, D& sine, D& cosine) noexcept {
        const typename V::I quadrant = V::roundToInt(V::mul(p, V::set1(k::twoOverPi)));
        const D n = V::intToDouble(quadrant);
        const D y = V::sub(p, V::mul(n, V::set1(k::halfPiHigh)));
        const D nLow = V::mul(n, V::set1(k::halfPiLow));
        const D a = V::sub(y, nLow);
        const D z = V::mul(a, a);
        const D one = V::set1(1.0);

        const D v = V::mul(z, a);
        D r = horner(z, V::set1(k::sin6), k::sin5);
        r = horner(z, r, k::sin4);
        r = horner(z, r, k::sin3);
        r = horner(z, r, k::sin2);
        const D s = mulAdd(v, horner(z, r, k::sin1), a);

        D q = horner(z, V::set1(k::cos6), k::cos5);
        q = horner(z, q, k::cos4);
        q = horner(z, q, k::cos3);
        q = horner(z, q, k::cos2);
        q = horner(z, q, k::cos1);
        q = horner(z, q, -0.5);
        const D c = mulAdd(z, q, one);

        // Quadrant n mod 4: odd quadrants exchange sin and cos; sin is negative in quadrants 2 and 3, cos
        // in 1 and 2. Done on the bits, so n = 4 is quadrant 0 again. A kernel with lane masks does it its
        // way.
        if constexpr (requires { V::applyQuadrant(quadrant, s, c, sine, cosine); }) {
            V::applyQuadrant(quadrant, s, c, sine, cosine);
            return;
        }
        const D exchange = V::andMask(V::xorBits(s, c), V::bitMask(quadrant, 1));
        const D signBit = V::set1(-0.0);
        const D sineSign = V::andMask(V::bitMask(quadrant, 2), signBit);
        const D cosineSign = V::andMask(V::bitMask(V::addInt(quadrant, V::set1Int(1)), 2), signBit);
        sine = V::xorBits(V::xorBits(s, exchange), sineSign);
        cosine = V::xorBits(V::xorBits(c, exchange), cosineSign);
    }

    // One loop per shape and tap count, so that nothing is decided per lane and every constant stays in a
    // register.
    template <bool twoTaps>
    static void sineCosineLoop(const float* phase, float* a, float* b, int count) noexcept {
        for (int j = 0; j < count; j += width) {
            D sine, cosine;
            sineCosine(V::toDouble(V::loadFloats(phase + j)), sine, cosine);
            V::storeFloats(a + j, V::toFloat(sine));
            if constexpr (twoTaps) {
                V::storeFloats(b + j, V::toFloat(cosine));
            }
        }
    }

    // c = frac(p / 2 pi): the product in float, frac in double; waveB a quarter cycle later.
    template <F (*shapeAt)(D), bool twoTaps>
    static void cycleLoop(const float* phase, float* a, float* b, int count) noexcept {
        const F inverse = V::set1F(k::inverseTwoPi);
        for (int j = 0; j < count; j += width) {
            const F p = V::loadFloats(phase + j);
            V::storeFloats(a + j, shapeAt(fraction(V::toDouble(V::mulF(p, inverse)))));
            if constexpr (twoTaps) {
                const F quarterOn = V::addF(p, V::set1F(k::halfPi));
                V::storeFloats(b + j, shapeAt(fraction(V::toDouble(V::mulF(quarterOn, inverse)))));
            }
        }
    }

    static void waveforms(int shape, const float* phase, float* a, float* b, int count) noexcept {
        const bool twoTaps = b != nullptr;
        if (shape == 1) {
            twoTaps ? sineCosineLoop<true>(phase, a, b, count) : sineCosineLoop<false>(phase, a, b, count);
        } else if (shape == 0) {
            twoTaps ? cycleLoop<ramp, true>(phase, a, b, count) : cycleLoop<ramp, false>(phase, a, b, count);
        } else {
            twoTaps ? cycleLoop<trapezoid, true>(phase, a, b, count)
                    : cycleLoop<trapezoid, false>(phase, a, b, count);
        }
    }

    // The tap of depth D and waveform value m for the frames `frame` (lane positions in the block):
    // k = trunc(D + 0.5), d = min((m * sweepScale + 1) * 0.5 * k + 1, L), i = min(trunc(d), L - 1), f = d -
    // i, then the interpolation newer + (older - newer) * f between the samples i and i + 1 frames old. D >=
    // 0 and 1 <= d <= L, so i = trunc(min(d, L - 0.5)); every read is of an earlier frame.
    // A waveform or depth value that is not finite, or a d below 1, would index outside the history: d is
    // held to [1, L] first (NaN to 1, as max(NaN, 1) gives its second operand), which finite values inside
    // the range never notice.
    // k * 0.5, which the tap multiplies by: (scaled * 0.5) * k == scaled * (k * 0.5), as halving either
    // factor is exact.
    static D depthSteps(F depth) noexcept {
        return V::mul(V::truncateSmall(V::add(V::toDouble(depth), V::set1(0.5))), V::set1(0.5));
    }

    // The line length the taps are held to.
    struct Line {
        D length;
        D belowLength;
        explicit Line(const StageBlock& b) noexcept
            : length(V::set1(static_cast<double>(b.lineLength))),
              belowLength(V::set1(static_cast<double>(b.lineLength) - 0.5)) {}
    };

    static F tap(const float* history, typename V::I frame, D halfK, F modulation,
                 const Line& line) noexcept {
        const D length = line.length;
        const D scaled = V::toDouble(V::addF(V::mulF(modulation, V::set1F(k::sweepScale)), V::set1F(1.0f)));
        const D raw = V::add(V::mul(scaled, halfK), V::set1(1.0));
        const D d = V::min(V::max(raw, V::set1(1.0)), length);
        // The whole part once as integer for the index and once in double for f: 1 <= d <= L, so both
        // are exact, and rounding in place costs less than converting back.
        const D whole = V::min(d, line.belowLength);
        const typename V::I i = V::toInt(whole);
        const D f = V::sub(d, V::truncateSmall(whole));
        F older, newer;
        V::loadPairs(history, V::subInt(frame, i), older, newer);
        return V::toFloat(V::add(V::toDouble(newer), V::mul(V::toDouble(V::subF(older, newer)), f)));
    }

    // (1 - 0.35 w) * (w * y + x): the sum in float, the gain and product in double.
    static D gainOf(F w) noexcept { return V::sub(V::set1(1.0), V::mul(V::set1(0.35), V::toDouble(w))); }
    static F mix(F w, D gain, F y, F x) noexcept {
        return V::toFloat(V::mul(gain, V::toDouble(V::addF(V::mulF(w, y), x))));
    }

    static int padded(int frames) noexcept {
        return (frames + StageKernel::lanes - 1) & ~(StageKernel::lanes - 1);
    }

    // The depth's tap steps and the wet level's gain: per frame, or once for a block that holds them.
    struct Levels {
        const StageBlock& b;
        D heldStepsA = V::set1(0.0);
        D heldStepsB = V::set1(0.0);
        D heldGain = V::set1(0.0);
        F heldWet = V::set1F(0.0f);
        explicit Levels(const StageBlock& block) noexcept : b(block) {
            if (b.depthHeld) {
                heldStepsA = depthSteps(V::loadFloats(b.depthA));
                heldStepsB = heldStepsA;
            }
            if (b.wetHeld) {
                heldWet = V::loadFloats(b.wet);
                heldGain = gainOf(heldWet);
            }
        }
        D stepsA(int j) const noexcept {
            return b.depthHeld ? heldStepsA : depthSteps(V::loadFloats(b.depthA + j));
        }
        D stepsB(int j) const noexcept {
            return b.depthHeld ? heldStepsB : depthSteps(V::loadFloats(b.depthB + j));
        }
        F wet(int j) const noexcept { return b.wetHeld ? heldWet : V::loadFloats(b.wet + j); }
        D gain(F w) const noexcept { return b.wetHeld ? heldGain : gainOf(w); }
    };

    static void renderMono(const StageBlock& block) noexcept {
        const StageBlock b = block;
        const int count = padded(b.frames);
        phases(b.firstFrame, b.phaseIncrement, b.phase, count);
        waveforms(b.shape, b.phase, b.modA, nullptr, count);
        const Levels levels(b);
        const Line line(b);
        typename V::I frame = V::intLaneIndex();
        const typename V::I step = V::set1Int(width);
        for (int j = 0; j < count; j += width) {
            const F y = tap(b.historyL, frame, levels.stepsA(j), V::loadFloats(b.modA + j), line);
            const F w = levels.wet(j);
            V::storeFloats(b.outL + j, mix(w, levels.gain(w), y, V::loadFloats(b.historyL + j)));
            frame = V::addInt(frame, step);
        }
    }

    // The block's fields are copied to locals: stores through the output pointers could otherwise be
    // stores into the block, and every pointer would be reloaded each iteration.
    static void renderPair(const StageBlock& block) noexcept {
        const StageBlock b = block;
        const int count = padded(b.frames);
        phases(b.firstFrame, b.phaseIncrement, b.phase, count);
        waveforms(b.shape, b.phase, b.modA, b.modB, count);
        const Levels levels(b);
        const Line line(b);
        typename V::I frame = V::intLaneIndex();
        const typename V::I step = V::set1Int(width);
        for (int j = 0; j < count; j += width) {
            const F yL = tap(b.historyL, frame, levels.stepsA(j), V::loadFloats(b.modA + j), line);
            const F yR = tap(b.historyR, frame, levels.stepsB(j), V::loadFloats(b.modB + j), line);
            const F w = levels.wet(j);
            const D gain = levels.gain(w);
            V::storeFloats(b.outL + j, mix(w, gain, yL, V::loadFloats(b.historyL + j)));
            V::storeFloats(b.outR + j, mix(w, gain, yR, V::loadFloats(b.historyR + j)));
            frame = V::addInt(frame, step);
        }
    }

    // history = input + denormal offset, in float, V::inputStep at a time whatever the double width.
    static void storeInputs(const float* input, float* history, int frames) noexcept {
        const F offset = V::set1F(k::denormalOffset);
        int j = 0;
        for (; j + V::inputStep <= frames; j += V::inputStep) {
            V::storeInputs(history + j, V::addF(V::loadInputs(input + j), offset));
        }
        for (; j < frames; ++j) {
            history[j] = input[j] + k::denormalOffset;
        }
    }

    static constexpr StageKernel table() noexcept {
        return StageKernel{&KernelFor::renderMono, &KernelFor::renderPair, &KernelFor::waveforms,
                           &KernelFor::storeInputs, &KernelFor::phases};
    }
};

} // namespace
} // namespace chorus
