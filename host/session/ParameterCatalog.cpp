#include "host/session/ParameterCatalog.h"

#include "dsp/WaveShape.h"
#include "host/session/NumberText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace chorus::host {

namespace {

// The waveform selector's values have names the display does not show. Earlier versions called the
// trapezoid "square": scripts and automation files that say so still work.
const std::vector<std::string> shapeChoices(shapeNames.begin(), shapeNames.end());
constexpr const char* formerTrapezoidName = "square";

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    const size_t last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// A finite number, a decimal comma taken as a point.
bool parseNumber(const std::string& value, double& real) {
    std::string text = NumberText::trimmed(value);
    if (text.find('.') == std::string::npos && std::count(text.begin(), text.end(), ',') == 1) {
        std::replace(text.begin(), text.end(), ',', '.');
    }
    return NumberText::parseNumber(text, real);
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

} // namespace

void ParameterCatalog::read(HostedPlugin& plugin) {
    entries.clear();
    const int count = plugin.descriptor() != nullptr ? plugin.descriptor()->paramCount : 0;
    for (int i = 0; i < count; ++i) {
        ParameterInfo info;
        info.name = plugin.paramName(i);
        info.unit = plugin.paramUnit(i);
        const float kept = plugin.getParameter(i);
        double ends[2] = {0.0, 1.0};
        bool numeric = true;
        for (int end = 0; end < 2; ++end) {
            plugin.setParameter(i, static_cast<float>(end));
            numeric = numeric && NumberText::parseNumber(trimmed(plugin.paramDisplay(i)), ends[end]);
        }
        plugin.setParameter(i, kept);
        if (numeric && ends[1] > ends[0]) {
            info.minimum = ends[0];
            info.maximum = ends[1];
        }
        if (sameName(info.name, "Shape") && info.minimum == 0.0 &&
            info.maximum == static_cast<double>(shapeChoices.size() - 1)) {
            info.choices = shapeChoices;
        }
        entries.push_back(std::move(info));
    }
}

int ParameterCatalog::find(const std::string& name) const {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (sameName(entries[i].name, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool ParameterCatalog::parse(const std::string& name, const std::string& value, ParameterValue& result,
                             std::string& error) const {
    const int index = find(name);
    if (index < 0) {
        std::string known;
        for (const auto& entry : entries) {
            known += (known.empty() ? "" : ", ") + entry.name;
        }
        error = "no parameter named " + name + " (there are " + known + ")";
        return false;
    }
    const ParameterInfo& info = entries[static_cast<size_t>(index)];
    double real = 0.0;
    const auto choice =
        std::find_if(info.choices.begin(), info.choices.end(),
                     [&](const std::string& choiceName) { return sameName(choiceName, value); });
    if (choice != info.choices.end()) {
        real = info.minimum + static_cast<double>(choice - info.choices.begin());
    } else if (info.choices == shapeChoices && sameName(value, formerTrapezoidName)) {
        real = static_cast<double>(shapeTrapezoid);
    } else if (!parseNumber(value, real)) {
        // A unit after a number, as the editor's fields take it ("50%", "2 Hz"); only its own unit.
        std::string unit;
        std::string text = value;
        const size_t unitStart =
            text.find_last_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ%");
        if (unitStart != std::string::npos && unitStart + 1 < text.size()) {
            unit = text.substr(unitStart + 1);
            text = NumberText::trimmed(text.substr(0, unitStart + 1));
        }
        if (unit.empty() || !parseNumber(text, real)) {
            error = name + "=" + value + ": not a number" +
                    (info.choices.empty() ? std::string() : " or one of " + choiceText(index));
            return false;
        }
        if (!sameName(unit, info.unit)) {
            error = name + "=" + value + ": " + info.name +
                    (info.unit.empty() ? " is a plain number, without a unit" : " is in " + info.unit);
            return false;
        }
    }
    result.index = index;
    result.clamped = real < info.minimum || real > info.maximum;
    result.real = std::clamp(real, info.minimum, info.maximum);
    result.normalised = static_cast<float>((result.real - info.minimum) / (info.maximum - info.minimum));
    return true;
}

std::string ParameterCatalog::clampWarning(const std::string& name, const std::string& value,
                                           const ParameterValue& result) const {
    const ParameterInfo& info = entries[static_cast<size_t>(result.index)];
    const bool above = result.real >= info.maximum;
    return name + "=" + value + " is " + (above ? "above" : "below") + " the range " + number(info.minimum) +
           " to " + number(info.maximum) + (info.unit.empty() ? "" : " " + info.unit) + "; using " +
           number(result.real);
}

std::string ParameterCatalog::choiceText(int index) const {
    std::string text;
    const ParameterInfo& info = entries[static_cast<size_t>(index)];
    for (size_t i = 0; i < info.choices.size(); ++i) {
        text += (i == 0 ? "" : ", ") + number(info.minimum + static_cast<double>(i)) + " " + info.choices[i];
    }
    return text;
}

} // namespace chorus::host
