#pragma once

#include <vector>

namespace chorus {

// A processor with fixed input and output channel counts. Buffers are one float array per channel.
// The frame and offset entries build their pointer sets in scratch arrays owned here, so they allocate
// nothing.
class AudioProcessor {
public:
    AudioProcessor(int numInputs, int numOutputs, int blockSize);
    virtual ~AudioProcessor();
    AudioProcessor(const AudioProcessor&) = delete;
    AudioProcessor& operator=(const AudioProcessor&) = delete;

    // One interleaved frame.
    virtual void processFrame(float* inFrame, float* outFrame);
    virtual void processFrameInPlace(float* frame);
    virtual void processFullBlock(float** inputs, float** outputs);
    virtual void processFullBlockInPlace(float** buffers);
    virtual void process(float** inputs, float** outputs, int frames);
    virtual void processInPlace(float** buffers, int frames);
    // Offsets are in frames.
    virtual void processAt(float** inputs, int inputOffset, float** outputs, int outputOffset, int frames);
    virtual int spareQuery();
    virtual void spareNotify();

    int getNumInputs() const { return numInputs; }
    int getNumOutputs() const { return numOutputs; }
    int getBlockSize() const { return blockSize; }

protected:
    int numInputs;
    int numOutputs;
    int blockSize; // the most frames one chunk holds
    std::vector<float*> inputPtrs;
    std::vector<float*> outputPtrs;
};

} // namespace chorus
