#pragma once

#include "host/session/HostedPlugin.h"

#include <string>
#include <vector>

namespace chorus::host {

// A parameter as the host learns it from the plug-in: name, unit and the range of its real value.
struct ParameterInfo {
    std::string name;
    std::string unit;
    double minimum = 0.0;
    double maximum = 1.0;
    std::vector<std::string> choices; // names of the whole values minimum, minimum + 1, ...; empty: none
};

// A value the user typed, turned into what the plug-in takes.
struct ParameterValue {
    int index = -1;
    float normalised = 0.0f;
    double real = 0.0;    // after clamping
    bool clamped = false; // the typed value lay outside the range
};

// The plug-in's parameters with their ranges, read through the parameter entries and display texts (the
// interface has no range request: the display of normalised 0 and 1 gives the ends). Turns typed values
// into normalised ones, refusing what is not a number or a known choice name.
class ParameterCatalog {
public:
    // Reads every parameter, restoring each value it touched.
    void read(HostedPlugin& plugin);

    const std::vector<ParameterInfo>& parameters() const noexcept { return entries; }
    // Case-insensitive; -1 when there is none.
    int find(const std::string& name) const;
    // NAME and VALUE of NAME=VALUE: a finite number in the parameter's unit (a decimal comma is taken as a
    // point), optionally followed by that unit ("50%", "2 Hz", "3ms"), or a choice name. False with a
    // one-line message naming the argument, and the parameter's unit when another was given.
    bool parse(const std::string& name, const std::string& value, ParameterValue& result,
               std::string& error) const;
    // The warning for a clamped value, naming the value used.
    std::string clampWarning(const std::string& name, const std::string& value,
                             const ParameterValue& result) const;
    // "0 ramp, 1 sine, 2 square" or empty.
    std::string choiceText(int index) const;

private:
    std::vector<ParameterInfo> entries;
};

} // namespace chorus::host
