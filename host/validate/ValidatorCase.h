#pragma once

#include "host/session/ModuleLoader.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace chorus::host {

struct ValidatorOptions {
    std::string plugin;
    int level = 5;          // 1 to 10: counts and durations scale with it, 5 is the everyday run
    std::uint32_t seed = 1; // the random sequences of every case follow from it
    double minutes = 0.0;   // above 0: repeat the whole list with new seeds until this much time has passed
    std::string only;       // run only the cases whose name contains this text
    std::string report;     // a machine-readable report goes here as well (.json or .xml)
    double watchdog = 0.0;  // above 0: seconds a case may take before it counts as hung
};

// What a case sees inside its child process: the loaded module, its own random generator and a place for
// notes (printed, shown with the failure of the case).
class CaseContext {
public:
    CaseContext(const ValidatorOptions& given, ModuleLoader& module, std::uint32_t caseSeed)
        : options(given), loader(module), rng(caseSeed), seed(caseSeed) {}

    // A count given for level 5, scaled to the level, at least minimum.
    int scaled(int atLevel5, int minimum = 1) const;
    void note(const std::string& text) const;

    const ValidatorOptions& options;
    ModuleLoader& loader;
    std::mt19937 rng;
    std::uint32_t seed;
};

struct CaseResult {
    enum class Kind { passed, failed, skipped, warned }; // a warning counts as passed
    Kind kind = Kind::passed;
    std::string message; // what was covered, why it failed, or why it was skipped

    static CaseResult pass(std::string text) { return {Kind::passed, std::move(text)}; }
    static CaseResult fail(std::string text) { return {Kind::failed, std::move(text)}; }
    static CaseResult skip(std::string text) { return {Kind::skipped, std::move(text)}; }
    static CaseResult warn(std::string text) { return {Kind::warned, std::move(text)}; }
};

struct ValidatorCase {
    const char* name;
    CaseResult (*run)(CaseContext& context);
    double secondsAtLevel5; // what the case takes at level 5; the watchdog allows several times this
};

// Every case, in the order Validator runs them (ValidatorCases.cpp).
std::vector<ValidatorCase> allCases();

// The cases, each in the file of its theme. The model
// cases exist only where the reference arithmetic is built, the window cases only with a window system.
CaseResult descriptorCase(CaseContext& context);
CaseResult editorRequests(CaseContext& context);
CaseResult randomRequests(CaseContext& context);
CaseResult stateRoundTrip(CaseContext& context);
CaseResult textRoundTrip(CaseContext& context);
CaseResult chunkEdges(CaseContext& context);
CaseResult processReplace(CaseContext& context);
CaseResult processAdd(CaseContext& context);
CaseResult blockSplit(CaseContext& context);
CaseResult determinism(CaseContext& context);
CaseResult edgesOfProcessing(CaseContext& context);
CaseResult denormalSpeed(CaseContext& context);
CaseResult modelCase(CaseContext& context);
CaseResult extremeCase(CaseContext& context);
CaseResult noAllocation(CaseContext& context);
CaseResult audioAgainstAutomation(CaseContext& context);
CaseResult instancesOnThreads(CaseContext& context);
CaseResult lifecycles(CaseContext& context);
CaseResult editorCycles(CaseContext& context);
CaseResult editorWithAutomation(CaseContext& context);
CaseResult oleOnThreads(CaseContext& context);

} // namespace chorus::host
