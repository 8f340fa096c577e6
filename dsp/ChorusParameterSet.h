#pragma once

#include "dsp/ParameterSet.h"

#include <array>

namespace chorus {

enum ChorusParam : int {
    paramMix = 0,    // wet level of the first stage, percent
    paramFreq = 1,   // modulation rate, Hz
    paramDelay = 2,  // sweep depth, ms
    paramStages = 3, // stages in series, 1 to 4
    paramShape = 4,  // waveform: 0 ramp, 1 sine, 2 trapezoid
    chorusParamCount = 5
};

// The chorus's five parameters with their ranges, steps, names and units.
class ChorusParameterSet final : public ParameterSet {
public:
    ChorusParameterSet();
    ~ChorusParameterSet() override;
};

} // namespace chorus
