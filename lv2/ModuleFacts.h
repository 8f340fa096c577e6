#pragma once

#include <string>
#include <vector>

namespace chorus::lv2 {

// What a host must know of one module parameter to offer it as a port.
struct ParameterFacts {
    std::string name;
    std::string unit; // the module's unit text: "%", "Hz", "ms" or empty
    float minimum = 0.0f;
    float maximum = 1.0f;
    float defaultValue = 0.0f;
    float step = 0.0f; // 0: continuous
    std::vector<std::string>
        stepNames; // one per step value from the minimum up, for parameters with few steps
};

struct ProgramFacts {
    std::string name;
    std::vector<float> values; // real values, in parameter order
};

// The module's parameters, factory programs and vendor, read from a fresh chorus effect.
class ModuleFacts {
public:
    // Parameters with at most this many steps are offered as a list of named values.
    static constexpr float maxListedSteps = 4.0f;

    static ModuleFacts read();

    std::string vendor;
    std::vector<ParameterFacts> parameters;
    std::vector<ProgramFacts> programs;
};

} // namespace chorus::lv2
