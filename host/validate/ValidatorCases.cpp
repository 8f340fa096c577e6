#include "host/validate/ValidatorCase.h"

namespace chorus::host {

// Every case, in the order they run: requests, state, audio, processing, the model, threads, windows.
std::vector<ValidatorCase> allCases() {
    return {
        {"descriptor", descriptorCase, 1.0},
        {"editor-requests", editorRequests, 1.0},
        {"random-requests", randomRequests, 5.0},
        {"state-roundtrip", stateRoundTrip, 3.0},
        {"text-roundtrip", textRoundTrip, 1.0},
        {"chunk-edges", chunkEdges, 2.0},
        {"process-replace", processReplace, 10.0},
        {"process-add", processAdd, 15.0},
        {"block-split", blockSplit, 5.0},
        {"determinism", determinism, 5.0},
        {"process-edges", edgesOfProcessing, 2.0},
        {"denormal-speed", denormalSpeed, 2.0},
#ifdef CHORUS_VALIDATOR_MODEL
        {"model", modelCase, 10.0},
        {"extreme-values", extremeCase, 5.0},
#endif
        {"no-allocation", noAllocation, 3.0},
        {"threads-automation", audioAgainstAutomation, 4.0},
        {"instances-threads", instancesOnThreads, 5.0},
        {"lifecycles", lifecycles, 8.0},
#ifdef CHORUS_VALIDATOR_WINDOW
        {"editor-cycles", editorCycles, 8.0},
        {"editor-automation", editorWithAutomation, 20.0},
        {"ole-threads", oleOnThreads, 5.0},
#endif
    };
}

} // namespace chorus::host
