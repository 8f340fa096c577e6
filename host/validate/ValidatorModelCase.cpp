// The model case: for the chorus, the module's output compared bit for bit with the per-sample reference
// arithmetic, driven by the same parameter changes, programs and typed values.
#include "dsp/ChorusParameterSet.h"
#include "host/validate/PluginDriver.h"
#include "host/validate/ValidatorCase.h"
#include "reference/ReferenceChorus.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace chorus::host {

namespace {

constexpr int chorusParameters = 5;
constexpr int chorusPrograms = 8;
constexpr double secondsPerRun = 0.3; // long enough for the deepest sweep to ramp in at every rate
const float modelRates[] = {11025.0f,  22050.0f,  44100.0f,  48000.0f,  88200.0f,  96000.0f,
                            176400.0f, 192000.0f, 352800.0f, 384000.0f, 705600.0f, 768000.0f};
const float fewModelRates[] = {44100.0f, 176400.0f, 192000.0f};
constexpr float minimumRate = 8200.0f;  // Hz: below, the module refuses a rate and keeps the one it had
constexpr float initialRate = 44100.0f; // Hz: what a fresh instance runs at
constexpr float belowMinimumRate = 1234.5678f;
const float fractionalRates[] = {45678.901f, 123456.78f}; // the module truncates them

struct Run {
    float rate;
    int program;
    int connectedInputs;
    int connectedOutputs;
    bool automate; // without, the depth ramps all the way to the program's delay and stays there
};

// The module's parameters as its engine sees them, mirrored into the host's own table.
void mirrorAll(PluginDriver& driver, ParameterSet& mirror) {
    for (int i = 0; i < chorusParameters; ++i) {
        mirror.setNormalizedValue(i, driver.host().getParameter(i));
    }
}

bool sameSample(float got, float want) {
    // NaN payloads are not the arithmetic's business.
    return std::memcmp(&got, &want, sizeof got) == 0 || (std::isnan(got) && std::isnan(want));
}

// One instance and the model beside it: every processing call is rendered by both and compared.
struct ModelPair {
    ModelPair(CaseContext& context, const Run& given, float modelRate)
        : driver(context.loader), run(given),
          model(std::min(given.connectedInputs, 2), std::min(given.connectedOutputs, 2),
                static_cast<double>(static_cast<int>(modelRate))) {}

    bool create(int block, std::string& error) {
        driver.host().setConnectedPins(run.connectedInputs, run.connectedOutputs);
        if (!driver.create(error)) {
            return false;
        }
        driver.host().dispatch(opSelectProgram, 0, run.program);
        driver.start(run.rate, block);
        mirrorAll(driver, mirror);
        return true;
    }

    // Renders frames of signal through both; empty, or where the first sample differs.
    std::string step(std::mt19937& rng, int frames, const std::string& last) {
        GuardedBuffers in(2, frames);
        fillSignal(in, rng, frames);
        const int outs = driver.outputs();
        const int modelOutputs = std::min(run.connectedOutputs, 2);
        GuardedBuffers out(std::max(outs, 1), frames);
        GuardedBuffers expected(2, frames);
        driver.host().process(in.pointers(), out.pointers(), frames, true);
        model.applyParameters(mirror);
        model.render(in.pointers(), expected.pointers(), frames, false);
        for (int c = 0; c < std::min(modelOutputs, outs); ++c) {
            for (int f = 0; f < frames; ++f) {
                const float got = out.channel(c)[f];
                const float want = expected.channel(c)[f];
                if (!sameSample(got, want)) {
                    return "differs from the reference arithmetic at " + number(run.rate) + " Hz, " +
                           std::to_string(run.connectedInputs) + " in " +
                           std::to_string(run.connectedOutputs) + " out, frame " + std::to_string(done + f) +
                           " channel " + std::to_string(c) + ": " + number(got) + " against " + number(want) +
                           " (last change: " + last + ")";
                }
            }
        }
        done += frames;
        return {};
    }

    static std::string number(float value) {
        char text[32];
        std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
        return text;
    }

    PluginDriver driver;
    ChorusParameterSet mirror;
    int done = 0; // frames rendered so far
    Run run;
    reference::ReferenceChorus model;
};

std::string compareRun(CaseContext& context, const Run& run) {
    std::mt19937& rng = context.rng;
    const int block = randomInt(rng, 64, 2048);
    // A rate below what the engine runs at is refused: a fresh instance keeps its first rate.
    const float modelRate = run.rate < minimumRate ? initialRate : run.rate;
    ModelPair pair(context, run, modelRate);
    std::string error;
    if (!pair.create(block, error)) {
        return error;
    }
    PluginDriver& driver = pair.driver;
    ChorusParameterSet& mirror = pair.mirror;
    const int total = static_cast<int>(modelRate * secondsPerRun);
    std::string last = "program " + std::to_string(run.program);
    for (int call = 0; pair.done < total; ++call) {
        // Now and then what a host changes between blocks.
        if (run.automate && call > 0 && randomInt(rng, 0, 7) == 0) {
            const int what = randomInt(rng, 0, 5);
            const int index = randomInt(rng, 0, chorusParameters - 1);
            if (what == 0) {
                const int program = randomInt(rng, 0, driver.programs() - 1);
                driver.host().dispatch(opSelectProgram, 0, program);
                mirrorAll(driver, mirror);
                last = "program " + std::to_string(program);
            } else if (what == 1) {
                const auto* record = mirror.getRecord(index);
                const float value = std::uniform_real_distribution<float>(record->minimum - 1.0f,
                                                                          record->maximum + 1.0f)(rng);
                char text[32];
                const auto written =
                    std::to_chars(text, text + sizeof text - 1, value, std::chars_format::fixed, 2);
                *written.ptr = '\0';
                float typed = 0.0f;
                std::from_chars(text, written.ptr, typed);
                std::replace(text, written.ptr, '.', ',');
                driver.host().dispatch(opParamFromText, index, 0, text);
                mirror.setRealValue(index, std::clamp(typed, record->minimum, record->maximum));
                last = "typed " + std::string(text) + " for parameter " + std::to_string(index);
            } else {
                const float value = randomValue(rng, false);
                driver.host().setParameter(index, value);
                mirror.setNormalizedValue(index, value);
                last = "parameter " + std::to_string(index) + " = " + std::to_string(value);
            }
        }
        const int frames = std::min(randomInt(rng, 1, block), total - pair.done);
        if (std::string problem = pair.step(rng, frames, last); !problem.empty()) {
            return problem;
        }
    }
    return {};
}

bool isChorus(CaseContext& context, std::string& error) {
    PluginDriver probe(context.loader);
    if (!probe.create(error)) {
        return false;
    }
    return probe.descriptor()->pluginId == CHORUS_PLUGIN_ID && probe.parameters() == chorusParameters;
}

// Extreme values, then normal ones, by each route a host or a preset file has into the module. The values
// are normalised ones: the parameter table takes them unclamped, and a chunk is data from a file.
enum class Route { parameter, program, programChunk, bankChunk };
const char* const routeNames[] = {"setParameter", "a program change", "a program chunk", "a bank chunk"};
const float extremeValues[] = {3.0e36f, 1.0e30f, 1.0e-30f, -1.0f, -3.0e36f, NAN, INFINITY, -INFINITY};
constexpr int extremeFrames = 64; // at least one frame runs at the extreme value
constexpr int afterBlocks = 4;    // blocks at normal values afterwards, each of up to maxAfterBlock frames
constexpr int maxAfterBlock = 512;
constexpr int chunkValueBytes = 4; // a chunk's values: big-endian floats at the start of each program's row

void putValue(std::vector<std::uint8_t>& chunk, std::size_t offset, float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    for (int b = 0; b < chunkValueBytes; ++b) {
        chunk[offset + static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(bits >> (24 - 8 * b));
    }
}

// The chunks and programs an extreme sequence sends its value by, and where in a chunk the value goes.
struct RouteTargets {
    Route route;
    int program; // current at the start and again at the end
    int other;   // another program, which the program route stores the value into
    std::vector<std::uint8_t> bank;
    std::vector<std::uint8_t> row; // the current program's chunk
    std::size_t offset;            // of the parameter's value in a program chunk
};

// A value written where a program chunk keeps the parameter must reach it (0 and 1 are whole choices too).
std::string checkChunkOffset(PluginDriver& driver, const RouteTargets& targets, int index) {
    const float probeValue = driver.host().getParameter(index) == 1.0f ? 0.0f : 1.0f;
    auto probe = targets.row;
    putValue(probe, targets.offset, probeValue);
    driver.load(probe, true);
    if (driver.host().getParameter(index) != probeValue) {
        return "a program chunk's value " + std::to_string(index) + " is not where the chorus keeps it";
    }
    driver.load(targets.row, true);
    return {};
}

void sendExtreme(PluginDriver& driver, const RouteTargets& targets, int index, float value) {
    switch (targets.route) {
    case Route::parameter:
        driver.host().setParameter(index, value);
        break;
    case Route::program:
        // Stored into another program while it is current; the engine, which has not run since, first
        // meets it when that program is selected again after this one.
        driver.host().dispatch(opSelectProgram, 0, targets.other);
        driver.host().setParameter(index, value);
        driver.host().dispatch(opSelectProgram, 0, targets.program);
        driver.host().dispatch(opSelectProgram, 0, targets.other);
        break;
    case Route::programChunk: {
        auto chunk = targets.row;
        putValue(chunk, targets.offset, value);
        driver.load(chunk, true);
        break;
    }
    case Route::bankChunk: {
        auto chunk = targets.bank;
        putValue(chunk, static_cast<std::size_t>(targets.program) * targets.row.size() + targets.offset,
                 value);
        driver.load(chunk, false);
        break;
    }
    }
}

void sendNormal(PluginDriver& driver, const RouteTargets& targets, int index, float normal) {
    switch (targets.route) {
    case Route::parameter:
        driver.host().setParameter(index, normal);
        break;
    case Route::program:
        driver.host().dispatch(opSelectProgram, 0, targets.program);
        break;
    case Route::programChunk:
        driver.load(targets.row, true);
        break;
    case Route::bankChunk:
        driver.load(targets.bank, false);
        break;
    }
}

std::string extremeSequence(CaseContext& context, Route route, int index, float value, float rate) {
    std::mt19937& rng = context.rng;
    const int program = randomInt(rng, 0, chorusPrograms - 1);
    ModelPair pair(context, {rate, program, 2, 2, false}, rate);
    std::string error;
    if (!pair.create(maxAfterBlock, error)) {
        return error;
    }
    PluginDriver& driver = pair.driver;
    const int other = (program + randomInt(rng, 1, chorusPrograms - 1)) % chorusPrograms;
    const float normal = randomValue(rng, false);
    const RouteTargets targets{route,
                               program,
                               other,
                               driver.save(false),
                               driver.save(true),
                               static_cast<std::size_t>(index * chunkValueBytes)};
    const std::size_t rowBytes = targets.row.size();
    if (rowBytes < static_cast<std::size_t>(chorusParameters * chunkValueBytes) ||
        targets.bank.size() != chorusPrograms * rowBytes) {
        return "the chunks are not the chorus's: a program chunk of " + std::to_string(rowBytes) +
               " bytes, a bank chunk of " + std::to_string(targets.bank.size());
    }
    if (route == Route::programChunk || route == Route::bankChunk) {
        if (std::string problem = checkChunkOffset(driver, targets, index); !problem.empty()) {
            return problem;
        }
    }
    // The extreme value arrives...
    sendExtreme(driver, targets, index, value);
    mirrorAll(driver, pair.mirror);
    const std::string what = "parameter " + std::to_string(index) + " = " + ModelPair::number(value) +
                             " by " + routeNames[static_cast<int>(route)];
    if (std::string problem = pair.step(rng, extremeFrames, what); !problem.empty()) {
        return problem;
    }
    // ...and normal values follow by the same route.
    sendNormal(driver, targets, index, normal);
    mirrorAll(driver, pair.mirror);
    const std::string then = what + ", then " + ModelPair::number(driver.host().getParameter(index));
    for (int b = 0; b < afterBlocks; ++b) {
        if (std::string problem = pair.step(rng, randomInt(rng, 1, maxAfterBlock), then); !problem.empty()) {
            return problem;
        }
    }
    return {};
}

float randomRate(std::mt19937& rng) {
    return modelRates[static_cast<std::size_t>(
        randomInt(rng, 0, static_cast<int>(std::size(modelRates)) - 1))];
}

} // namespace

CaseResult extremeCase(CaseContext& context) {
    std::string error;
    if (!isChorus(context, error)) {
        return error.empty() ? CaseResult::skip("the reference arithmetic is the chorus's; this module has "
                                                "another identifier")
                             : CaseResult::fail(error);
    }
    // Every value by every route for Freq, whose rate drives the waveform's counter; for the others a few
    // values by each route, more with the level.
    constexpr int freqIndex = 1;
    int sequences = 0;
    const int othersPerRoute = context.scaled(10);
    for (int r = 0; r < static_cast<int>(std::size(routeNames)); ++r) {
        const auto route = static_cast<Route>(r);
        for (float value : extremeValues) {
            const float rate = randomRate(context.rng);
            if (std::string problem = extremeSequence(context, route, freqIndex, value, rate);
                !problem.empty()) {
                return CaseResult::fail(problem);
            }
            ++sequences;
        }
        for (int n = 0; n < othersPerRoute; ++n) {
            int index = randomInt(context.rng, 0, chorusParameters - 2);
            index += index >= freqIndex ? 1 : 0;
            const float value =
                extremeValues[randomInt(context.rng, 0, static_cast<int>(std::size(extremeValues)) - 1)];
            const float rate = randomRate(context.rng);
            if (std::string problem = extremeSequence(context, route, index, value, rate); !problem.empty()) {
                return CaseResult::fail(problem);
            }
            ++sequences;
        }
    }
    return CaseResult::pass(std::to_string(sequences) +
                            " sequences of huge, tiny, negative and non-finite values, then normal ones, by "
                            "parameter, program and chunks, bit for bit equal to the reference arithmetic");
}

CaseResult modelCase(CaseContext& context) {
    if (std::string error; !isChorus(context, error)) {
        return error.empty() ? CaseResult::skip("the reference arithmetic is the chorus's; this module has "
                                                "another identifier")
                             : CaseResult::fail(error);
    }
    std::vector<Run> runs;
    const bool few = context.options.level <= 2;
    const auto rates = few ? std::vector<float>(std::begin(fewModelRates), std::end(fewModelRates))
                           : std::vector<float>(std::begin(modelRates), std::end(modelRates));
    // Programs 2 and 4 sweep deepest; the others take turns over the rates, all of them from level 8.
    const int others[] = {0, 1, 3, 5, 6, 7};
    for (std::size_t r = 0; r < rates.size(); ++r) {
        for (int program = 0; program < chorusPrograms; ++program) {
            const bool deepest = program == 2 || program == 4;
            const bool turn = !few && program == others[r % std::size(others)];
            if (deepest || turn || context.options.level >= 8) {
                runs.push_back({rates[r], program, 2, 2, false});
            }
        }
    }
    runs.push_back({192000.0f, 4, 1, 2, false});
    runs.push_back({belowMinimumRate, 2, 2, 2, true});
    for (float rate : fractionalRates) {
        runs.push_back({rate, 4, 2, 2, true});
    }
    runs.push_back({176400.0f, 2, 1, 1, false});
    for (int extra = context.scaled(8); extra > 0; --extra) {
        const auto rate =
            static_cast<std::size_t>(randomInt(context.rng, 0, static_cast<int>(rates.size()) - 1));
        runs.push_back({rates[rate], randomInt(context.rng, 0, 7), randomInt(context.rng, 1, 2), 2, true});
    }
    for (const auto& run : runs) {
        if (std::string problem = compareRun(context, run); !problem.empty()) {
            return CaseResult::fail(problem);
        }
    }
    return CaseResult::pass(
        std::to_string(runs.size()) +
        " runs over rates, programs and channel layouts, some with automation, bit for bit "
        "equal to the reference arithmetic");
}

} // namespace chorus::host
