#include "dsp/BlockProcessor.h"

#include <algorithm>
#include <cstddef>

namespace chorus {

BlockProcessor::BlockProcessor(int numInputs_, int numOutputs_, int blockSize_)
    : AudioProcessor(numInputs_, numOutputs_, blockSize_),
      chunkInputPtrs(static_cast<std::size_t>(numInputs), nullptr),
      chunkOutputPtrs(static_cast<std::size_t>(numOutputs), nullptr) {}

BlockProcessor::~BlockProcessor() = default;

void BlockProcessor::process(float** inputs, float** outputs, int frames) {
    for (int offset = 0; offset < frames;) {
        const int chunk = std::min(frames - offset, blockSize);
        for (int i = 0; i < numInputs; ++i) {
            chunkInputPtrs[static_cast<std::size_t>(i)] = inputs[i] + offset;
        }
        for (int i = 0; i < numOutputs; ++i) {
            chunkOutputPtrs[static_cast<std::size_t>(i)] = outputs[i] + offset;
        }
        processChunk(chunkInputPtrs.data(), chunkOutputPtrs.data(), chunk);
        offset += chunk;
    }
}

void BlockProcessor::processChunk(float**, float**, int) {}

} // namespace chorus
