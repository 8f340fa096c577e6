#pragma once

#include <string>
#include <vector>

namespace chorus::host {

// Runs this program again with other arguments and watches it: its standard output and error are collected,
// and a child that outlives its time limit is killed. A crash or a hang of the child is only an outcome here.
class ChildProcess {
public:
    enum class Outcome { exited, crashed, timedOut, notStarted };

    struct Result {
        Outcome outcome = Outcome::notStarted;
        // Exit status (exited), signal number or exception code (crashed).
        unsigned long code = 0;
        std::string output;
        double seconds = 0.0;
    };

    // The path of the running executable, as the platform reports it; empty when unknown.
    static std::string selfPath();
    static Result run(const std::string& program, const std::vector<std::string>& arguments,
                      double timeoutSeconds);
};

} // namespace chorus::host
