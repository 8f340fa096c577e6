// The model case: for the chorus, the module's output compared bit for bit with the per-sample reference
// arithmetic, driven by the same parameter changes, programs and typed values.
#include "dsp/ChorusParameterSet.h"
#include "host/PluginDriver.h"
#include "host/ValidatorCase.h"
#include "reference/ReferenceChorus.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>

namespace chorus::host {

namespace {

constexpr int chorusParameters = 5;
constexpr double secondsPerRun = 0.3; // long enough for the deepest sweep to ramp in at every rate
const float modelRates[] = {11025.0f,  22050.0f,  44100.0f,  48000.0f,  88200.0f,  96000.0f,
                            176400.0f, 192000.0f, 352800.0f, 384000.0f, 705600.0f, 768000.0f};
const float fewModelRates[] = {44100.0f, 176400.0f, 192000.0f};

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

std::string compareRun(CaseContext& context, const Run& run) {
    PluginDriver driver(context.loader);
    driver.host().setConnectedPins(run.connectedInputs, run.connectedOutputs);
    std::string error;
    if (!driver.create(error)) {
        return error;
    }
    std::mt19937& rng = context.rng;
    const int block = randomInt(rng, 64, 2048);
    driver.host().dispatch(opSelectProgram, 0, run.program);
    driver.start(run.rate, block);
    ChorusParameterSet mirror;
    mirrorAll(driver, mirror);
    const int modelOutputs = std::min(run.connectedOutputs, 2);
    reference::ReferenceChorus model(std::min(run.connectedInputs, 2), modelOutputs,
                                     static_cast<double>(static_cast<int>(run.rate)));
    const int total = static_cast<int>(run.rate * secondsPerRun);
    const int outs = driver.outputs();
    std::string last = "program " + std::to_string(run.program);
    for (int done = 0, call = 0; done < total; ++call) {
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
        const int frames = std::min(randomInt(rng, 1, block), total - done);
        GuardedBuffers in(2, frames);
        fillSignal(in, rng, frames);
        GuardedBuffers out(std::max(outs, 1), frames);
        GuardedBuffers expected(2, frames);
        driver.host().process(in.pointers(), out.pointers(), frames, true);
        model.applyParameters(mirror);
        model.render(in.pointers(), expected.pointers(), frames, false);
        for (int c = 0; c < std::min(modelOutputs, outs); ++c) {
            for (int f = 0; f < frames; ++f) {
                const float got = out.channel(c)[f];
                const float want = expected.channel(c)[f];
                if (std::memcmp(&got, &want, sizeof got) != 0) {
                    return "differs from the reference arithmetic at " +
                           std::to_string(static_cast<int>(run.rate)) + " Hz, " +
                           std::to_string(run.connectedInputs) + " in " +
                           std::to_string(run.connectedOutputs) + " out, frame " + std::to_string(done + f) +
                           " channel " + std::to_string(c) + ": " + std::to_string(got) + " against " +
                           std::to_string(want) + " (last change: " + last + ")";
                }
            }
        }
        done += frames;
    }
    return {};
}

CaseResult modelCase(CaseContext& context) {
    {
        PluginDriver probe(context.loader);
        std::string error;
        if (!probe.create(error)) {
            return CaseResult::fail(error);
        }
        if (probe.descriptor()->pluginId != CHORUS_PLUGIN_ID || probe.parameters() != chorusParameters) {
            return CaseResult::skip(
                "the reference arithmetic is the chorus's; this module has another identifier");
        }
    }
    std::vector<Run> runs;
    const bool few = context.options.level <= 2;
    const auto rates = few ? std::vector<float>(std::begin(fewModelRates), std::end(fewModelRates))
                           : std::vector<float>(std::begin(modelRates), std::end(modelRates));
    // Programs 2 and 4 sweep deepest; the others take turns over the rates, all of them from level 8.
    const int others[] = {0, 1, 3, 5, 6, 7};
    for (std::size_t r = 0; r < rates.size(); ++r) {
        for (int program = 0; program < 8; ++program) {
            const bool deepest = program == 2 || program == 4;
            const bool turn = !few && program == others[r % std::size(others)];
            if (deepest || turn || context.options.level >= 8) {
                runs.push_back({rates[r], program, 2, 2, false});
            }
        }
    }
    runs.push_back({192000.0f, 4, 1, 2, false});
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

} // namespace

std::vector<ValidatorCase> modelCases() {
    return {{"model", modelCase, 10.0}};
}

} // namespace chorus::host
