#pragma once

#include "dsp/BlockProcessor.h"
#include "dsp/ChorusStage.h"

#include <array>
#include <vector>

namespace chorus {

class ParameterSet;

// The chorus engine: one to four stages in series for one channel, one channel into two, or two channels.
// Changed parameters reach the stages once per block through applyParameters.
class ChorusProcessor final : public BlockProcessor {
public:
    static constexpr int maxStages = 4;
    static constexpr float laterStageWetLimit = 35.0f; // percent: only the first stage follows Mix above it
    // Frames the adding mode renders at once; longer calls go through in pieces. Keeps the scratch buffers
    // small whatever block size the host announces.
    static constexpr int maxScratchFrames = 4096;

    // numOutputs 0 means as many outputs as inputs.
    ChorusProcessor(int numInputs, double sampleRate, int numOutputs, int blockSize);
    ~ChorusProcessor() override;

    // Rates the stages can run at as given: finite, from 8200 Hz (a 41-sample line) to 1 MHz.
    static bool supportsSampleRate(double sampleRate);

    void render(float** inputs, float** outputs, int frames, bool addToOutput);
    void applyParameters(ParameterSet& set);
    void onParametersReset(ParameterSet& set);
    int getLatency() const { return 0; }
    // Runs every stage on that instruction set's kernel (tests and benchmarks compare them).
    void useKernel(KernelIsa isa);

    void processChunk(float** inputs, float** outputs, int frames) override;

    int getActiveStages() const { return activeStages; }
    float getMix() const { return mix; }
    const ChorusStage& stage(int index) const { return stages[static_cast<std::size_t>(index)]; }

private:
    enum class Route { mono, monoToStereo, stereo, silent };

    static Route chooseRoute(int numInputs, int numOutputs);

    int scratchFrames;
    std::vector<std::vector<float>> scratch; // the adding mode renders here first, one per output
    std::vector<float*> scratchPtrs;
    float mix = 0.0f;
    std::array<ChorusStage, maxStages> stages;
    int activeStages = 1;
    Route route;
};

} // namespace chorus
