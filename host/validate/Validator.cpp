#include "host/validate/Validator.h"

#include "host/session/NumberText.h"
#include "host/validate/ChildProcess.h"
#include "host/validate/CrashReporter.h"
#include "host/validate/ValidatorReport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>

namespace chorus::host {

namespace {

constexpr int minLevel = 1;
constexpr int maxLevel = 10;
constexpr double maxMinutes = 24.0 * 60.0;
constexpr double watchdogBaseSeconds = 30.0; // start-up under Wine and a loaded machine
constexpr double watchdogFactor = 4.0;       // times what a case takes at its level
constexpr const char* caseOption = "--case"; // hidden: the child runs one case
constexpr const char* resultPrefix = "result: ";

// Each case draws its own sequence from the run's seed, so that one case can be
// rerun alone.
std::uint32_t caseSeed(std::uint32_t seed, const std::string& name) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : name) {
        hash = (hash ^ c) * 16777619u;
    }
    return hash ^ (seed * 2654435761u);
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    const size_t start = text.find_first_not_of(" =");
    return start == std::string::npos ? std::string() : text.substr(start);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        result.push_back(trimmed(text.substr(start, end - start)));
        start = end + 1;
    }
    return result;
}

// The child's own verdict line, or the line a crash report starts with.
std::string verdictLine(const std::string& output) {
    for (const auto& line : lines(output)) {
        if (line.rfind(resultPrefix, 0) == 0) {
            return line.substr(std::char_traits<char>::length(resultPrefix));
        }
    }
    return {};
}

std::string crashLine(const std::string& output) {
    for (const auto& line : lines(output)) {
        for (const char* marker : {"ERROR: AddressSanitizer", "runtime error", "exception 0x",
                                   "ThreadSanitizer", "LeakSanitizer", "terminate called", "Assertion"}) {
            if (line.find(marker) != std::string::npos) {
                return line;
            }
        }
    }
    return {};
}

std::string seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", value);
    return text;
}

bool isChosen(const ValidatorOptions& options, const std::string& name) {
    return options.only.empty() || name.find(options.only) != std::string::npos;
}

// An --only that matches nothing is a slip of the hand: the message lists what
// there is to choose from.
void reportNoneChosen(const std::vector<ValidatorCase>& cases, const ValidatorOptions& options,
                      std::FILE* err) {
    std::string names;
    for (const auto& entry : cases) {
        names += std::string(names.empty() ? "" : " ") + entry.name;
    }
    std::fprintf(err, "chorus-host: --only %s matches no check; the checks are: %s\n", options.only.c_str(),
                 names.c_str());
}

// A module that does not load fails the run as one case, "load", before any
// child is started for it.
bool moduleLoads(const ValidatorOptions& options, ValidatorReport& report, std::FILE* out, std::FILE* err) {
    ModuleLoader probe;
    std::string error;
    if (probe.load(options.plugin, error)) {
        return true;
    }
    std::fprintf(out, "FAIL load: %s\n0 passed, 1 failed\n", error.c_str());
    report.add({"load", "fail", error, 0.0});
    std::string writeError;
    if (!options.report.empty() && !report.commit(options, writeError)) {
        std::fprintf(err, "chorus-host: %s\n", writeError.c_str());
    }
    return false;
}

// What the run shows for one case, and how it counts.
struct CaseLine {
    std::string text; // "STATUS name: message"
    bool ok = false;  // passed or warned
    bool warned = false;
};

// The line of a case whose child did not end with "skipped": its verdict, a
// hang or a crash.
CaseLine caseLine(const std::string& name, const ChildProcess::Result& result, const std::string& verdict) {
    using Outcome = ChildProcess::Outcome;
    const bool exited = result.outcome == Outcome::exited;
    if (result.outcome == Outcome::notStarted) {
        return {"FAIL " + name + ": " + result.output};
    }
    if (result.outcome == Outcome::timedOut) {
        return {"FAIL " + name + ": hung, killed after " + seconds(result.seconds)};
    }
    if (exited && result.code == Validator::childPassed) {
        return {"PASS " + name + ": " + verdict, true};
    }
    if (exited && result.code == Validator::childWarned) {
        return {"WARN " + name + ": " + verdict, true, true};
    }
    if (exited && result.code == Validator::childFailed) {
        return {"FAIL " + name + ": " + verdict};
    }
    char code[32];
    std::snprintf(code, sizeof code, result.outcome == Outcome::crashed ? "0x%lx" : "%lu", result.code);
    const std::string crash = crashLine(result.output);
    return {"FAIL " + name + ": crashed (" +
            (result.outcome == Outcome::crashed ? "signal/exception " : "exit status ") + code + ")" +
            (crash.empty() ? "" : ": " + crash)};
}

struct Tally {
    int passed = 0;
    int failed = 0;
    int warned = 0;
};

// Runs one case in a child process of this program under its watchdog; prints
// its line and adds it to the report and the tally.
void runCase(const ValidatorOptions& options, const std::string& self, const ValidatorCase& entry,
             std::uint32_t round, ValidatorReport& report, std::FILE* out, Tally& tally) {
    const std::string name = entry.name;
    const std::vector<std::string> arguments{"validate", options.plugin,
                                             "--level",  std::to_string(options.level),
                                             "--seed",   std::to_string(options.seed + round),
                                             caseOption, name};
    const double timeout = options.watchdog > 0.0
                               ? options.watchdog
                               : watchdogBaseSeconds + watchdogFactor * entry.secondsAtLevel5 *
                                                           std::max(1.0, options.level / 5.0);
    const auto result = ChildProcess::run(self, arguments, timeout);
    const std::string verdict = verdictLine(result.output);
    if (result.outcome == ChildProcess::Outcome::exited && result.code == Validator::childSkipped) {
        std::fprintf(out, "SKIP %s: %s\n", name.c_str(), verdict.c_str());
        std::fflush(out);
        report.add({name, "skip", verdict, result.seconds});
        return;
    }
    const CaseLine line = caseLine(name, result, verdict);
    if (!line.ok && !options.only.empty() && result.outcome != ChildProcess::Outcome::notStarted) {
        // When a few cases are looked into, the child's notes (a sanitizer's
        // report, say) go before the line that counts.
        for (const auto& note : lines(result.output)) {
            if (!note.empty() && note.rfind(resultPrefix, 0) != 0) {
                std::fprintf(out, "    | %s\n", note.c_str());
            }
        }
    }
    std::fprintf(out, "%s (%s)\n", line.text.c_str(), seconds(result.seconds).c_str());
    std::fflush(out);
    // The report's message is the line's text after "STATUS name: ".
    report.add({name,
                line.warned ? "warn"
                : line.ok   ? "pass"
                            : "fail",
                line.text.substr(line.text.find(": ") + 2), result.seconds});
    (line.ok ? tally.passed : tally.failed) += 1;
    tally.warned += line.warned ? 1 : 0;
}

} // namespace

int CaseContext::scaled(int atLevel5, int minimum) const {
    const long long value = static_cast<long long>(atLevel5) * options.level / 5;
    return static_cast<int>(std::max<long long>(minimum, value));
}

void CaseContext::note(const std::string& text) const {
    std::printf("  %s\n", text.c_str());
    std::fflush(stdout);
}

std::string Validator::usage() {
    return "  chorus-host validate PLUGIN [--level 1..10] [--seed N] [--minutes "
           "M] [--only NAME]\n"
           "                       [--watchdog S] [--report "
           "FILE.json|FILE.xml]\n";
}

bool Validator::parse(const std::vector<std::string>& args, ValidatorOptions& options, std::string& caseName,
                      std::string& error) {
    std::vector<std::string> positional;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            positional.push_back(arg);
            continue;
        }
        if (i + 1 >= args.size()) {
            error = "option " + arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        int whole = 0;
        if (arg == "--level") {
            if (!NumberText::parseWhole(value, whole) || whole < minLevel || whole > maxLevel) {
                error = "--level wants a whole number from 1 to 10, got: " + value;
                return false;
            }
            options.level = whole;
        } else if (arg == "--seed") {
            if (!NumberText::parseWhole(value, whole) || whole < 0) {
                error = "--seed wants a whole number of at least 0, got: " + value;
                return false;
            }
            options.seed = static_cast<std::uint32_t>(whole);
        } else if (arg == "--minutes") {
            if (!NumberText::parseNumber(value, options.minutes) || options.minutes < 0.0 ||
                options.minutes > maxMinutes) {
                error = "--minutes wants a number from 0 to 1440, got: " + value;
                return false;
            }
        } else if (arg == "--watchdog") {
            if (!NumberText::parseNumber(value, options.watchdog) || options.watchdog <= 0.0) {
                error = "--watchdog wants a number of seconds above 0, got: " + value;
                return false;
            }
        } else if (arg == "--only") {
            options.only = value;
        } else if (arg == "--report") {
            ValidatorReport::Format format;
            if (!ValidatorReport::formatFor(value, format)) {
                error = "--report wants a file name ending in .json or .xml, got: " + value;
                return false;
            }
            options.report = value;
        } else if (arg == caseOption) {
            caseName = value;
        } else {
            error = "unknown option: " + arg;
            return false;
        }
    }
    if (positional.size() != 1) {
        error = "validate takes 1 argument, got " + std::to_string(positional.size());
        return false;
    }
    options.plugin = positional[0];
    return true;
}

int Validator::main(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    ValidatorOptions options;
    std::string caseName;
    std::string error;
    if (!parse(args, options, caseName, error)) {
        std::fprintf(err, "chorus-host: %s\nusage:\n%s", error.c_str(), usage().c_str());
        return exitUsage;
    }
    if (!caseName.empty()) {
        return runChild(options, caseName);
    }
    return runAll(options, out, err);
}

int Validator::runAll(const ValidatorOptions& options, std::FILE* out, std::FILE* err) {
    const auto cases = allCases();
    if (std::none_of(cases.begin(), cases.end(),
                     [&](const ValidatorCase& c) { return isChosen(options, c.name); })) {
        reportNoneChosen(cases, options, err);
        return exitUsage;
    }
    ValidatorReport report;
    if (std::string error; !options.report.empty() && !report.open(options.report, error)) {
        std::fprintf(err, "chorus-host: %s\n", error.c_str());
        return exitFailed;
    }
    if (!moduleLoads(options, report, out, err)) {
        return exitFailed;
    }
    const std::string self = ChildProcess::selfPath();
    const auto start = std::chrono::steady_clock::now();
    Tally tally;
    for (std::uint32_t round = 0;; ++round) {
        for (const auto& entry : cases) {
            if (isChosen(options, entry.name)) {
                runCase(options, self, entry, round, report, out, tally);
            }
        }
        const double minutes =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / 60.0;
        if (minutes >= options.minutes) {
            break;
        }
    }
    if (tally.warned > 0) {
        std::fprintf(out, "%d warning(s) among the passed\n", tally.warned);
    }
    std::fprintf(out, "%d passed, %d failed\n", tally.passed, tally.failed);
    if (std::string error; !options.report.empty() && !report.commit(options, error)) {
        std::fprintf(err, "chorus-host: %s\n", error.c_str());
        return exitFailed;
    }
    return tally.failed == 0 && tally.passed > 0 ? exitPassed : exitFailed;
}

int Validator::runChild(const ValidatorOptions& options, const std::string& caseName) {
    CrashReporter::install();
    for (const auto& entry : allCases()) {
        if (caseName != entry.name) {
            continue;
        }
        ModuleLoader loader;
        std::string error;
        if (!loader.load(options.plugin, error)) {
            std::printf("%s%s\n", resultPrefix, error.c_str());
            return childFailed;
        }
        CaseContext context(options, loader, caseSeed(options.seed, caseName));
        CaseResult result;
        try {
            result = entry.run(context);
        } catch (const std::exception& e) {
            result = CaseResult::fail(std::string("the host side threw: ") + e.what());
        }
        std::printf("%s%s\n", resultPrefix, result.message.c_str());
        std::fflush(stdout);
        switch (result.kind) {
        case CaseResult::Kind::passed:
            return childPassed;
        case CaseResult::Kind::skipped:
            return childSkipped;
        case CaseResult::Kind::warned:
            return childWarned;
        case CaseResult::Kind::failed:
            return childFailed;
        }
    }
    std::printf("%sno case named %s\n", resultPrefix, caseName.c_str());
    return childFailed;
}

} // namespace chorus::host
