#pragma once

#include "host/CommandLine.h"

#include <cstdio>

namespace chorus::host {

// The commands of chorus-host. Results (info, compare, help, version) go to out; status, warnings,
// progress and --log lines go to err. Each answers the exit status.
class HostCommands {
public:
    static constexpr int exitOk = 0;
    static constexpr int exitFailure = 1;
    static constexpr int exitUsage = 2;
    static constexpr int exitDifferent = 3;

    HostCommands(std::FILE* output, std::FILE* errors) : out(output), err(errors) {}

    int run(const HostOptions& options);
    int info(const HostOptions& options);
    int render(const HostOptions& options);
    int generate(const HostOptions& options);
    int compare(const HostOptions& options);
    int version(const HostOptions& options);

    // Prints "chorus-host: message" to errors; answers exitFailure.
    static int fail(std::FILE* errors, const std::string& message);
    // The same for a usage error; answers exitUsage.
    static int usageError(std::FILE* errors, const std::string& message);
    // Prints "chorus-host: warning: message" to errors.
    static void warn(std::FILE* errors, const std::string& message);

private:
    int fail(const std::string& message) { return fail(err, message); }
    int usageError(const std::string& message) { return usageError(err, message); }
    void warn(const std::string& message) { warn(err, message); }

    std::FILE* out;
    std::FILE* err;
};

} // namespace chorus::host
