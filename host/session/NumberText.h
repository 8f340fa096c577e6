#pragma once

#include <string>

namespace chorus::host {

// Numbers and assignments as users type them on a command line or in an automation file.
class NumberText {
public:
    // The whole text as a whole number, or as a finite number.
    static bool parseWhole(const std::string& text, int& value);
    static bool parseNumber(const std::string& text, double& value);
    // "NAME=VALUE" with both parts present.
    static bool splitAssignment(const std::string& text, std::string& name, std::string& value);
};

} // namespace chorus::host
