#pragma once

#include "dsp/StageKernel.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

// Compares the kernel's sine waveform (sin and cos rounded to float) with the library's for every
// `stride`-th float phase from 0 up to 2 pi rounded up to float, the largest phase the stage produces.
// Prints the first few differences to `log` (may be null); returns how many phases differ.
inline std::uint64_t countSineCosineMismatches(chorus::KernelIsa isa, std::uint32_t stride, std::FILE* log) {
    const chorus::StageKernel& kernel = chorus::StageKernel::forIsa(isa);
    const std::uint32_t last = std::bit_cast<std::uint32_t>(static_cast<float>(6.283185307179586));
    constexpr int batch = 4096;
    std::vector<float> phase(batch), sine(batch), cosine(batch);
    std::uint64_t mismatches = 0;
    std::uint64_t bits = 0;
    while (bits <= last) {
        int count = 0;
        for (; count < batch && bits <= last; ++count, bits += stride) {
            phase[static_cast<std::size_t>(count)] = std::bit_cast<float>(static_cast<std::uint32_t>(bits));
        }
        const int padded = (count + chorus::StageKernel::lanes - 1) / chorus::StageKernel::lanes *
                           chorus::StageKernel::lanes;
        for (int j = count; j < padded; ++j) {
            phase[static_cast<std::size_t>(j)] = 0.0f;
        }
        kernel.waveforms(1, phase.data(), sine.data(), cosine.data(), padded);
        for (std::size_t j = 0; j < static_cast<std::size_t>(count); ++j) {
            const double p = static_cast<double>(phase[j]);
            const float s = static_cast<float>(std::sin(p));
            const float c = static_cast<float>(std::cos(p));
            if (std::bit_cast<std::uint32_t>(s) != std::bit_cast<std::uint32_t>(sine[j]) ||
                std::bit_cast<std::uint32_t>(c) != std::bit_cast<std::uint32_t>(cosine[j])) {
                if (log != nullptr && mismatches < 10) {
                    std::fprintf(log, "phase %a: sin %a (library %a), cos %a (library %a)\n", p,
                                 static_cast<double>(sine[j]), static_cast<double>(s),
                                 static_cast<double>(cosine[j]), static_cast<double>(c));
                }
                ++mismatches;
            }
        }
    }
    return mismatches;
}
