#include "host/session/NumberText.h"

#include <charconv>
#include <cmath>

namespace chorus::host {

bool NumberText::parseWhole(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool NumberText::parseNumber(const std::string& text, double& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

std::string NumberText::trimmed(const std::string& text) {
    const char* space = " \t\r\n";
    const size_t first = text.find_first_not_of(space);
    const size_t last = text.find_last_not_of(space);
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

bool NumberText::splitAssignment(const std::string& text, std::string& name, std::string& value) {
    const size_t equals = text.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    name = trimmed(text.substr(0, equals));
    value = trimmed(text.substr(equals + 1));
    return !name.empty() && !value.empty();
}

} // namespace chorus::host
