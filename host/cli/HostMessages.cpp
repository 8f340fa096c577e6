#include "host/cli/HostMessages.h"

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

std::string HostMessages::fourCharacters(int32_t code) {
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((static_cast<uint32_t>(code) >> shift) & 0xFF);
        text += (c >= 32 && c < 127) ? c : '?';
    }
    return text;
}

} // namespace chorus::host
