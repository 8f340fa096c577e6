#pragma once

#include "host/validate/ValidatorCase.h"

#include <cstdio>
#include <string>
#include <vector>

namespace chorus::host {

// "chorus-host validate": puts a module through what hosts do, one case per child process of this program
// under a watchdog, so that a crash or a hang costs one failed case and never the run.
class Validator {
public:
    static constexpr int exitPassed = 0;
    static constexpr int exitFailed = 1;
    static constexpr int exitUsage = 2;
    // A child's exit status for its own verdict; anything else is a crash.
    static constexpr int childPassed = 0;
    static constexpr int childFailed = 10;
    static constexpr int childSkipped = 11;
    static constexpr int childWarned = 12;

    // args starts with "validate".
    static int main(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);
    static std::string usage();
    static bool parse(const std::vector<std::string>& args, ValidatorOptions& options, std::string& caseName,
                      std::string& error);

private:
    static int runAll(const ValidatorOptions& options, std::FILE* out, std::FILE* err);
    static int runChild(const ValidatorOptions& options, const std::string& caseName);
};

} // namespace chorus::host
