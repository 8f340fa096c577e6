// State cases: saving, randomising and restoring state, display texts typed back, and chunks that are empty,
// random or huge.
#include "host/validate/PluginDriver.h"
#include "host/validate/ValidatorCase.h"

#include <algorithm>
#include <cmath>

namespace chorus::host {

namespace {

std::string firstDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    if (a.size() != b.size()) {
        return std::to_string(a.size()) + " bytes against " + std::to_string(b.size());
    }
    const auto at = std::mismatch(a.begin(), a.end(), b.begin());
    return "first difference at byte " + std::to_string(at.first - a.begin());
}

void randomise(PluginDriver& driver, std::mt19937& rng) {
    for (int i = 0; i < driver.parameters(); ++i) {
        driver.host().setParameter(i, randomValue(rng, false));
    }
    std::string name = "randomised " + std::to_string(randomInt(rng, 0, 999));
    driver.host().dispatch(opRenameProgram, 0, 0, name.data());
    if (driver.programs() > 0) {
        driver.host().dispatch(opSelectProgram, 0, randomInt(rng, 0, driver.programs() - 1));
    }
}

// One round of the state round trip: instance a is randomised, saved and restored, instance b only ever
// loads what a saved. Each step answers empty, or what went wrong.
class StateRound {
public:
    static constexpr float rate = 48000.0f;
    static constexpr int block = 256;

    StateRound(PluginDriver& randomised, PluginDriver& fresh, std::mt19937& generator, int number)
        : a(randomised), b(fresh), rng(generator), round(number), ins(std::max(a.inputs(), 1)),
          outs(std::max(a.outputs(), 1)), replacing(a.canReplace()) {}

    // Saves a's state at once and a few bytes at a time, with requests and processing in between that
    // must leave the chunk being copied alone; loading the bank must give it back byte for byte.
    std::string save() {
        std::string problem;
        const auto busy = [&] {
            a.host().getParameter(randomInt(rng, 0, std::max(a.parameters() - 1, 0)));
            a.text(opParamValueText, randomInt(rng, 0, std::max(a.parameters() - 1, 0)), problem);
            GuardedBuffers in(ins, 16);
            GuardedBuffers out(outs, 16);
            fillSignal(in, rng, 16);
            a.host().process(in.pointers(), out.pointers(), 16, replacing);
        };
        current = static_cast<int>(a.host().dispatch(opCurrentProgram));
        bank = a.save(false);
        program = a.save(true);
        const auto bankInPieces = a.saveInPieces(false, rng, busy);
        const auto programInPieces = a.saveInPieces(true, rng, busy);
        values = a.parameterValues();
        if (!problem.empty()) {
            return problem;
        }
        if (bankInPieces != bank || programInPieces != program) {
            return "a chunk read a few bytes at a time differs from the chunk read at once: " +
                   firstDifference(bank, bankInPieces);
        }
        if (a.load(bank, false), a.save(false) != bank) {
            return "the bank chunk saved again after loading it is not byte-identical: " +
                   firstDifference(bank, a.save(false));
        }
        return {};
    }

    // Randomises a again and restores the saved chunks: the parameters and the chunks come back.
    std::string restore() {
        randomise(a, rng);
        a.load(bank, false);
        a.host().dispatch(opSelectProgram, 0, current);
        a.load(program, true);
        if (a.parameterValues() != values) {
            return "restoring the saved chunks did not restore the parameters (round " +
                   std::to_string(round) + ")";
        }
        if (a.save(false) != bank || a.save(true) != program) {
            return "chunks saved after restoring differ from the saved ones: " +
                   firstDifference(bank, a.save(false));
        }
        return {};
    }

    // b loads the saved chunks: both must sound the same and hold the same programs.
    std::string matchesFresh() {
        b.load(bank, false);
        b.host().dispatch(opSelectProgram, 0, current);
        b.load(program, true);
        for (PluginDriver* d : {&a, &b}) {
            // A rate change and back gives both a fresh signal path with the restored settings.
            d->host().dispatch(opPower, 0, 0);
            d->host().dispatch(opSampleRate, 0, 0, nullptr, rate / 2);
            d->start(rate, block);
        }
        for (int call = 0; call < 8; ++call) {
            GuardedBuffers in(ins, block);
            fillSignal(in, rng, block);
            GuardedBuffers outA(outs, block);
            GuardedBuffers outB(outs, block);
            a.host().process(in.pointers(), outA.pointers(), block, replacing);
            b.host().process(in.pointers(), outB.pointers(), block, replacing);
            if (!outA.sameAs(outB, block)) {
                return "the restored instance sounds different from one that loaded the same "
                       "chunks (round " +
                       std::to_string(round) + ", call " + std::to_string(call) + ")";
            }
        }
        for (int p = 0; p < a.programs(); ++p) {
            a.host().dispatch(opSelectProgram, 0, p);
            b.host().dispatch(opSelectProgram, 0, p);
            if (a.parameterValues() != b.parameterValues()) {
                return "program " + std::to_string(p) +
                       " differs between the restored instance "
                       "and one that loaded the same chunks";
            }
        }
        return {};
    }

private:
    PluginDriver& a;
    PluginDriver& b;
    std::mt19937& rng;
    const int round;
    const int ins;
    const int outs;
    const bool replacing;
    int current = 0;
    std::vector<std::uint8_t> bank;
    std::vector<std::uint8_t> program;
    std::vector<float> values;
};

} // namespace

// Save, randomise, restore: the same parameters, the same chunks byte for byte and the same output as an
// instance that only ever saw the saved state. Chunks are also read a few bytes at a time with other
// requests and processing in between.
CaseResult stateRoundTrip(CaseContext& context) {
    const int rounds = context.scaled(20);
    for (int round = 0; round < rounds; ++round) {
        PluginDriver a(context.loader);
        PluginDriver b(context.loader);
        std::string error;
        if (!a.create(error) || !b.create(error)) {
            return CaseResult::fail(error);
        }
        if ((a.descriptor()->flags & flagChunks) == 0) {
            return CaseResult::skip("the plug-in does not exchange its state as chunks");
        }
        a.start(StateRound::rate, StateRound::block);
        randomise(a, context.rng);
        randomise(a, context.rng);
        StateRound trip(a, b, context.rng, round);
        for (auto step : {&StateRound::save, &StateRound::restore, &StateRound::matchesFresh}) {
            if (std::string problem = (trip.*step)(); !problem.empty()) {
                return CaseResult::fail(problem);
            }
        }
    }
    return CaseResult::pass(std::to_string(rounds) + " save, randomise, restore rounds");
}

// Every parameter's display text, typed back through the typed-text entry, shows the same text again.
CaseResult textRoundTrip(CaseContext& context) {
    PluginDriver driver(context.loader);
    std::string error;
    if (!driver.create(error)) {
        return CaseResult::fail(error);
    }
    const int perParameter = context.scaled(40, 8);
    int trips = 0;
    for (int i = 0; i < driver.parameters(); ++i) {
        for (int n = 0; n < perParameter; ++n) {
            const float value = n == 0 ? 0.0f : n == 1 ? 1.0f : randomValue(context.rng, false);
            driver.host().setParameter(i, value);
            std::string problem;
            const std::string shown = driver.text(opParamValueText, i, problem);
            if (driver.host().setParameterFromText(i, shown) == 0) {
                if (i == 0 && n == 0) {
                    return CaseResult::skip("the plug-in does not take typed parameter values");
                }
                problem = "the typed-text entry refused the text it shows, \"" + shown + "\"";
            }
            const float typed = driver.host().getParameter(i);
            const std::string again = driver.text(opParamValueText, i, problem);
            if (problem.empty() && again != shown) {
                problem = "shows \"" + shown + "\", typing it back gives " + std::to_string(typed) +
                          " shown as \"" + again + "\"";
            }
            if (!problem.empty()) {
                return CaseResult::fail("parameter " + std::to_string(i) + " at " + std::to_string(value) +
                                        ": " + problem);
            }
            ++trips;
        }
    }
    return CaseResult::pass(std::to_string(trips) + " text, value, text round trips over " +
                            std::to_string(driver.parameters()) + " parameters");
}

// An empty chunk changes nothing; random chunks of a megabyte leave a working plug-in whose state still
// saves and loads back to the same bytes.
CaseResult chunkEdges(CaseContext& context) {
    constexpr std::size_t bigChunk = 1u << 20;
    constexpr int bigChunks = 3;
    PluginDriver driver(context.loader);
    std::string error;
    if (!driver.create(error)) {
        return CaseResult::fail(error);
    }
    if ((driver.descriptor()->flags & flagChunks) == 0) {
        return CaseResult::skip("the plug-in does not exchange its state as chunks");
    }
    driver.start(44100.0f, 512);
    randomise(driver, context.rng);
    const int ins = std::max(driver.inputs(), 1);
    const int outs = std::max(driver.outputs(), 1);
    const auto stillWorks = [&](const std::string& after) -> std::string {
        for (int i = 0; i < driver.parameters(); ++i) {
            const float v = driver.host().getParameter(i);
            if (!std::isfinite(v)) {
                return "parameter " + std::to_string(i) + " reads " + std::to_string(v) + " after " + after;
            }
        }
        const auto bank = driver.save(false);
        driver.load(bank, false);
        if (driver.save(false) != bank) {
            return "the bank saved after " + after + " does not load back to the same bytes";
        }
        GuardedBuffers in(ins, 512);
        fillSignal(in, context.rng, 512);
        GuardedBuffers out(outs, 512);
        const std::string problem = driver.process(in, out, 512, driver.canReplace(), false);
        return problem.empty() ? problem : problem + " after " + after;
    };
    for (bool programOnly : {false, true}) {
        const auto bank = driver.save(false);
        const auto values = driver.parameterValues();
        std::uint8_t byte = 0;
        const auto answer = driver.host().dispatch(opLoadState, programOnly ? 1 : 0, 0, &byte);
        if (driver.save(false) != bank || driver.parameterValues() != values) {
            return CaseResult::fail(std::string("an empty ") + (programOnly ? "program" : "bank") +
                                    " chunk was taken (answer " + std::to_string(answer) + ")");
        }
    }
    for (int n = 0; n < bigChunks; ++n) {
        std::vector<std::uint8_t> bytes(bigChunk);
        for (auto& b : bytes) {
            b = static_cast<std::uint8_t>(context.rng());
        }
        const bool programOnly = n == 1;
        driver.load(std::move(bytes), programOnly);
        if (std::string problem =
                stillWorks("a random 1 MB " + std::string(programOnly ? "program" : "bank") + " chunk");
            !problem.empty()) {
            return CaseResult::fail(problem);
        }
    }
    return CaseResult::pass("an empty bank and program chunk refused; 3 random 1 MB chunks survived");
}

} // namespace chorus::host
