#pragma once

#include "host/session/Session.h"

#include <cstdio>
#include <string>
#include <vector>

namespace chorus::host {

// Exit statuses and the lines every command prints the same way: results go to standard output, status,
// warnings, progress and --log lines to standard error.
class HostMessages {
public:
    static constexpr int exitOk = 0;
    static constexpr int exitFailure = 1;
    static constexpr int exitUsage = 2;
    static constexpr int exitDifferent = 3;
    static constexpr int exitInterrupted = 130; // 128 + SIGINT, as shells report it

    // Prints "chorus-host: message"; answers exitFailure.
    static int fail(std::FILE* errors, const std::string& message);
    // The same for a usage error; answers exitUsage.
    static int usageError(std::FILE* errors, const std::string& message);
    // A session that did not open: a failure or a usage error, as the session tells.
    static int sessionError(std::FILE* errors, Session::Result result, const std::string& message);
    // Prints "chorus-host: warning: message", one line each.
    static void warn(std::FILE* errors, const std::string& message);
    static void warn(std::FILE* errors, const std::vector<std::string>& messages);
    // A level against full scale (1) as "-3.2 dBFS"; "-inf dBFS" for silence.
    static std::string decibels(double level);
    // A four-character code as text, '?' for what does not print.
    static std::string fourCharacters(int32_t code);
};

} // namespace chorus::host
