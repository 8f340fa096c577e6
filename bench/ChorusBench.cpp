// Throughput of the chorus engine: 512-frame blocks at 44100 Hz, reported as frames per second and as time
// per frame per stage, with each kernel the processor runs.
#include "dsp/ChorusParameterSet.h"
#include "dsp/ChorusProcessor.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int blockFrames = 512;
constexpr double sampleRate = 44100.0;

// Arguments: number of inputs (1: one in, two out; 2: stereo), stages, shape, kernel (0 SSE2, 1 AVX2,
// 2 AVX-512).
void renderBlocks(benchmark::State& state) {
    const int inputs = static_cast<int>(state.range(0));
    chorus::ChorusParameterSet set;
    set.setRealValue(chorus::paramStages, static_cast<float>(state.range(1)));
    set.setRealValue(chorus::paramShape, static_cast<float>(state.range(2)));
    set.setRealValue(chorus::paramDelay, 3.0f);
    const auto isa = static_cast<chorus::KernelIsa>(state.range(3));
    if (!chorus::StageKernel::supported(isa)) {
        state.SkipWithError("kernel not supported by this processor");
        return;
    }
    chorus::ChorusProcessor engine(inputs, sampleRate, 2, blockFrames);
    engine.useKernel(isa);
    set.markAllChanged();
    engine.applyParameters(set);

    std::vector<std::vector<float>> in(static_cast<std::size_t>(inputs), std::vector<float>(blockFrames));
    std::vector<std::vector<float>> out(2, std::vector<float>(blockFrames));
    for (auto& channel : in) {
        for (std::size_t j = 0; j < channel.size(); ++j) {
            channel[j] = static_cast<float>(std::sin(0.01 * static_cast<double>(j)));
        }
    }
    std::vector<float*> inPtrs, outPtrs;
    for (auto& c : in) {
        inPtrs.push_back(c.data());
    }
    for (auto& c : out) {
        outPtrs.push_back(c.data());
    }
    for (auto _ : state) {
        engine.applyParameters(set);
        engine.render(inPtrs.data(), outPtrs.data(), blockFrames, false);
        benchmark::DoNotOptimize(outPtrs[1][blockFrames - 1]);
    }
    state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * blockFrames,
                                                    benchmark::Counter::kIsRate);
    state.counters["x realtime"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * blockFrames / sampleRate, benchmark::Counter::kIsRate);
    // Seconds per frame per stage: the inverse rate of frames times stages.
    state.counters["per frame*stage"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * blockFrames * static_cast<double>(state.range(1)),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

} // namespace

BENCHMARK(renderBlocks)
    ->ArgNames({"inputs", "stages", "shape", "isa"})
    ->ArgsProduct({{1, 2}, {1, 4}, {0, 1, 2}, {0, 1, 2}});

BENCHMARK_MAIN();
