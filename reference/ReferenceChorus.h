#pragma once

#include "reference/ReferenceStage.h"

#include <array>

namespace chorus {
class ParameterSet;
}

namespace chorus::reference {

// The chorus engine's arithmetic in its plainest form: four reference stages in series, routed for one
// channel, one channel into two, or two channels, taking changed parameters the way the engine does. The
// model that the engine and the module are compared with; it allocates and is slow, and is not part of the
// module.
class ReferenceChorus {
public:
    ReferenceChorus(int numInputs, int numOutputs, double sampleRate);

    // Takes each changed value of the set (clearing its mark); non-finite values are dropped.
    void applyParameters(ParameterSet& set);
    // Replaces the outputs, or adds to what they hold; inputs and outputs may be the same buffers.
    void render(const float* const* inputs, float* const* outputs, int frames, bool addToOutput);

private:
    int numInputs;
    int numOutputs;
    std::array<ReferenceStage, 4> stages;
    int activeStages = 1;
};

} // namespace chorus::reference
