#pragma once

#include <string>

namespace chorus::host {

// Numbers and assignments as users type them on a command line or in an automation file.
class NumberText {
public:
    // The whole text as a whole number, or as a finite number.
    static bool parseWhole(const std::string& text, int& value);
    static bool parseNumber(const std::string& text, double& value);
    // The text without the spaces, tabs and line ends around it.
    static std::string trimmed(const std::string& text);
    // "NAME=VALUE" with both parts present; spaces around "=" are allowed ("Mix = 20").
    static bool splitAssignment(const std::string& text, std::string& name, std::string& value);
};

} // namespace chorus::host
