#pragma once

#include <cstdint>

namespace chorus {

// Instruction sets the block kernel is built for; every one computes the same bits.
enum class KernelIsa { sse2, avx2, avx512 };

// The AVX-512 kernel is left out of Windows builds, whose stack is not aligned for its spills.
#if defined(_WIN32)
#define CHORUS_AVX512_KERNEL 0
#else
#define CHORUS_AVX512_KERNEL 1
#endif

// One block of a chorus stage, laid out for the kernel. The stage has already written the block's inputs
// (plus the denormal offset) into its history and the ramp values into the arrays, so the kernel reads
// only earlier frames and writes only its outputs. Arrays hold `frames` rounded up to StageKernel::lanes
// entries; the extra lanes are computed and ignored.
struct StageBlock {
    // The block's first input; the lineLength inputs before it precede it. StageKernel::readMargin floats
    // before those and after the block's padded end must be readable; their values never reach the outputs.
    const float* historyL;
    const float* historyR; // the same pointer as historyL when one input feeds both taps
    const float* depthA;   // depth ramp value of tap A per frame, in samples
    const float* depthB;   // tap B (two-output blocks only)
    const float* wet;      // wet level per frame, 0 to 1
    float* phase;          // scratch: waveform phase per frame
    float* modA;           // scratch: waveform values of taps A and B
    float* modB;
    float* outL;
    float* outR;
    std::uint64_t firstFrame; // frame counter of the block's first frame
    float phaseIncrement;     // radians per frame
    int shape;                // 0 ramp, 1 sine, 2 trapezoid
    int lineLength;
    int frames;
    // Whether every entry of the depth arrays (both, with two taps) holds depthA[0], and of wet wet[0]: the
    // kernel then computes what follows from them once per block.
    bool depthHeld = false;
    bool wetHeld = false;
};

// The chorus stage's arithmetic a block at a time: waveform phases, waveform values, tap positions,
// interpolation and the wet/dry mix, with every rounding of the per-sample definition kept.
struct StageKernel {
    static constexpr int lanes = 8;         // arrays are padded to a multiple of this: the widest kernel's
    static constexpr int blockFrames = 256; // most frames one call takes
    static constexpr int readMargin = 16;   // floats around the history a kernel may read and ignore

    // One input, one output: tap A only, reading historyL.
    void (*renderMono)(const StageBlock& block) noexcept;
    // Two outputs: tap A from historyL into outL, tap B from historyR into outR.
    void (*renderPair)(const StageBlock& block) noexcept;
    // Waveform values of `count` phases (a multiple of lanes): waveA into a, waveB into b (b may be null).
    // With the sine shape these are the library's sin and cos rounded to float.
    void (*waveforms)(int shape, const float* phase, float* a, float* b, int count) noexcept;
    // history[j] = input[j] + the denormal offset, for `frames` frames (no padding).
    void (*storeInputs)(const float* input, float* history, int frames) noexcept;
    // Waveform phase of the frames first, first + 1, ... (`count` of them, a multiple of lanes; the counter
    // wraps at 2^64): fmod(counter * increment, 2 pi) in double, rounded to float.
    void (*phases)(std::uint64_t first, float increment, float* phase, int count) noexcept;

    static const StageKernel& forIsa(KernelIsa isa) noexcept;
    // The widest the processor and the system support: AVX-512, AVX2 or SSE2.
    static KernelIsa fastestIsa() noexcept;
    static bool supported(KernelIsa isa) noexcept;
};

// The kernels of each instruction set, defined in their own translation units.
extern const StageKernel sse2StageKernel;
extern const StageKernel avx2StageKernel;
#if CHORUS_AVX512_KERNEL
extern const StageKernel avx512StageKernel;
#endif

} // namespace chorus
