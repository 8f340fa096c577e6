#include "dsp/AudioProcessor.h"

#include <algorithm>
#include <cstddef>

namespace chorus {

AudioProcessor::AudioProcessor(int numInputs_, int numOutputs_, int blockSize_)
    : numInputs(std::max(numInputs_, 0)), numOutputs(std::max(numOutputs_, 0)),
      blockSize(std::max(blockSize_, 1)), inputPtrs(static_cast<std::size_t>(numInputs), nullptr),
      outputPtrs(static_cast<std::size_t>(numOutputs), nullptr) {}

AudioProcessor::~AudioProcessor() = default;

void AudioProcessor::processFrame(float* inFrame, float* outFrame) {
    for (int i = 0; i < numInputs; ++i) {
        inputPtrs[static_cast<std::size_t>(i)] = inFrame + i;
    }
    for (int i = 0; i < numOutputs; ++i) {
        outputPtrs[static_cast<std::size_t>(i)] = outFrame + i;
    }
    process(inputPtrs.data(), outputPtrs.data(), 1);
}

void AudioProcessor::processFrameInPlace(float* frame) {
    processFrame(frame, frame);
}

void AudioProcessor::processFullBlock(float** inputs, float** outputs) {
    process(inputs, outputs, blockSize);
}

void AudioProcessor::processFullBlockInPlace(float** buffers) {
    process(buffers, buffers, blockSize);
}

void AudioProcessor::process(float**, float**, int) {}

void AudioProcessor::processInPlace(float** buffers, int frames) {
    process(buffers, buffers, frames);
}

void AudioProcessor::processAt(float** inputs, int inputOffset, float** outputs, int outputOffset,
                               int frames) {
    for (int i = 0; i < numInputs; ++i) {
        inputPtrs[static_cast<std::size_t>(i)] = inputs[i] + inputOffset;
    }
    for (int i = 0; i < numOutputs; ++i) {
        outputPtrs[static_cast<std::size_t>(i)] = outputs[i] + outputOffset;
    }
    process(inputPtrs.data(), outputPtrs.data(), frames);
}

int AudioProcessor::spareQuery() {
    return 0;
}

void AudioProcessor::spareNotify() {}

} // namespace chorus
