#pragma once

#include "dsp/AudioProcessor.h"

#include <vector>

namespace chorus {

// Cuts every call into chunks of at most blockSize frames and hands each to processChunk.
class BlockProcessor : public AudioProcessor {
public:
    BlockProcessor(int numInputs, int numOutputs, int blockSize);
    ~BlockProcessor() override;

    void process(float** inputs, float** outputs, int frames) override;
    virtual void processChunk(float** inputs, float** outputs, int frames);

private:
    std::vector<float*> chunkInputPtrs;
    std::vector<float*> chunkOutputPtrs;
};

} // namespace chorus
