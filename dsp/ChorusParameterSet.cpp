#include "dsp/ChorusParameterSet.h"

namespace chorus {

ChorusParameterSet::ChorusParameterSet() : ParameterSet(chorusParamCount) {
    //               index        value min  max     step   unit  name
    defineParameter(paramMix, 50.0f, 0.0f, 100.0f, 1.0f, "%", "Mix", true, 4);
    defineParameter(paramFreq, 2.0f, 0.0f, 5.0f, 0.01f, "Hz", "Freq", true, 4);
    defineParameter(paramDelay, 2.0f, 0.0f, 5.0f, 0.01f, "ms", "Delay", true, 4);
    defineParameter(paramStages, 1.0f, 1.0f, 4.0f, 1.0f, "", "Stages", true, 4);
    defineParameter(paramShape, 1.0f, 0.0f, 2.0f, 1.0f, "", "Shape", true, 4);
}

ChorusParameterSet::~ChorusParameterSet() = default;

} // namespace chorus
