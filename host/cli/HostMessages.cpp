#include "host/cli/HostMessages.h"

#include <cmath>

namespace chorus::host {

int HostMessages::fail(std::FILE* errors, const std::string& message) {
    std::fprintf(errors, "chorus-host: %s\n", message.c_str());
    return exitFailure;
}

int HostMessages::usageError(std::FILE* errors, const std::string& message) {
    std::fprintf(errors, "chorus-host: %s\n", message.c_str());
    return exitUsage;
}

int HostMessages::sessionError(std::FILE* errors, Session::Result result, const std::string& message) {
    return result == Session::Result::usage ? usageError(errors, message) : fail(errors, message);
}

void HostMessages::warn(std::FILE* errors, const std::string& message) {
    std::fprintf(errors, "chorus-host: warning: %s\n", message.c_str());
}

void HostMessages::warn(std::FILE* errors, const std::vector<std::string>& messages) {
    for (const auto& message : messages) {
        warn(errors, message);
    }
}

std::string HostMessages::decibels(double level) {
    if (!(level > 0.0)) {
        return "-inf dBFS";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f dBFS", 20.0 * std::log10(level));
    return text;
}

std::string HostMessages::fourCharacters(int32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<uint32_t>(code) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

} // namespace chorus::host
