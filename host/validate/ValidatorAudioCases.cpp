// Audio cases: every sample rate and block size in both processing entries, in place and not, with guard
// zones, finiteness, determinism and independence of how the host splits its blocks.
#include "host/validate/PluginDriver.h"
#include "host/validate/ValidatorCase.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>

namespace chorus::host {

namespace {

// The fractional rates: one below what most modules run at (refused or not, processing must stay safe),
// two that truncate differently from how they round.
const float allRates[] = {8000.0f,   11025.0f,  22050.0f,   32000.0f,   44100.0f,  48000.0f,
                          88200.0f,  96000.0f,  176400.0f,  192000.0f,  352800.0f, 384000.0f,
                          705600.0f, 768000.0f, 1234.5678f, 45678.901f, 123456.78f};
const float fewRates[] = {8000.0f, 44100.0f, 192000.0f, 768000.0f, 1234.5678f};
const int fixedBlocks[] = {1, 2, 3, 10, 17, 64, 512, 1024, 2027, 4096, 16384};
constexpr int maxBlock = 16384;
// Per instance and combination, beyond one full block; with the three fractional rates the combinations
// grew by a fifth, so each got shorter to keep the everyday run as long as it was.
constexpr int framesAtLevel5 = 3328;

std::vector<float> rates(const CaseContext& context) {
    if (context.options.level < 3) {
        return {std::begin(fewRates), std::end(fewRates)};
    }
    return {std::begin(allRates), std::end(allRates)};
}

// Every fixed size meets several rates; from level 8 every size meets every rate.
std::vector<int> blockSizes(CaseContext& context, std::size_t rateIndex) {
    std::vector<int> sizes;
    const std::size_t count = std::size(fixedBlocks);
    const std::size_t perRate = context.options.level >= 8 ? count : 3;
    for (std::size_t i = 0; i < perRate; ++i) {
        sizes.push_back(fixedBlocks[(rateIndex * perRate + i) % count]);
    }
    for (int i = 0; i < context.scaled(1); ++i) {
        sizes.push_back(randomInt(context.rng, 1, maxBlock));
    }
    return sizes;
}

std::string where(float rate, int block) {
    char text[64];
    std::snprintf(text, sizeof text, "at %.9g Hz, block %d", static_cast<double>(rate), block);
    return text;
}

// The same random settings for every instance of one combination.
struct Settings {
    int program = 0;
    std::vector<float> values;
    std::vector<float> later; // applied half-way, so that ramps run during the check

    Settings(std::mt19937& rng, int programs, int parameters) {
        program = programs > 0 ? randomInt(rng, 0, programs - 1) : 0;
        for (int i = 0; i < parameters; ++i) {
            values.push_back(randomValue(rng, false));
            later.push_back(randomValue(rng, false));
        }
    }
    void apply(PluginDriver& driver, const std::vector<float>& which) const {
        for (int i = 0; i < static_cast<int>(which.size()); ++i) {
            driver.host().setParameter(i, which[static_cast<std::size_t>(i)]);
        }
    }
};

bool makeInstances(CaseContext& context, std::deque<PluginDriver>& drivers, std::string& error) {
    for (auto& driver : drivers) {
        if (!driver.create(error)) {
            return false;
        }
    }
    (void)context;
    return true;
}

std::deque<PluginDriver> drivers(CaseContext& context, std::size_t count) {
    std::deque<PluginDriver> list;
    for (std::size_t i = 0; i < count; ++i) {
        list.emplace_back(context.loader);
    }
    return list;
}

int channelsFor(PluginDriver& driver) {
    return std::max({driver.inputs(), driver.outputs(), 1});
}

// Sums prefill and a replacing result the way an adding entry must.
bool isSum(const GuardedBuffers& sum, const GuardedBuffers& prefill, const GuardedBuffers& alone,
           int channels, int frames) {
    for (int c = 0; c < channels; ++c) {
        for (int f = 0; f < frames; ++f) {
            const float expected = alone.channel(c)[f] + prefill.channel(c)[f];
            if (std::memcmp(&expected, &sum.channel(c)[f], sizeof expected) != 0) {
                return false;
            }
        }
    }
    return true;
}

// replacing: instance 0 out of place, instance 1 in place, same output. Adding: instance 0 replaces (when it
// can), instance 1 adds into prefilled outputs, instance 2 adds in place; both sums must be exact.
CaseResult runEntries(CaseContext& context, bool replacing) {
    int combinations = 0;
    const auto rateList = rates(context);
    for (std::size_t r = 0; r < rateList.size(); ++r) {
        const float rate = rateList[r];
        for (int block : blockSizes(context, r)) {
            auto list = drivers(context, replacing ? 2 : 3);
            std::string error;
            if (!makeInstances(context, list, error)) {
                return CaseResult::fail(error);
            }
            if (replacing && !list[0].canReplace()) {
                return CaseResult::skip("the plug-in does not offer the replacing entry");
            }
            const Settings settings(context.rng, list[0].programs(), list[0].parameters());
            for (auto& d : list) {
                d.host().dispatch(opSelectProgram, 0, settings.program);
                settings.apply(d, settings.values);
                d.start(rate, block);
            }
            const int ins = std::max(list[0].inputs(), 1);
            const int outs = std::max(list[0].outputs(), 1);
            const int wide = channelsFor(list[0]);
            const int total = block + context.scaled(framesAtLevel5);
            for (int done = 0, call = 0; done < total; ++call) {
                const int frames =
                    std::min(call % 2 == 0 ? block : randomInt(context.rng, 1, block), total - done);
                if (done >= total / 2 && done - frames < total / 2) {
                    for (auto& d : list) {
                        settings.apply(d, settings.later);
                    }
                }
                GuardedBuffers input(ins, frames);
                fillSignal(input, context.rng, frames);
                GuardedBuffers outA(outs, frames);
                GuardedBuffers outB(outs, frames);
                GuardedBuffers prefill(outs, frames);
                fillSignal(prefill, context.rng, frames);
                GuardedBuffers inPlace(wide, frames);
                for (int c = 0; c < wide; ++c) {
                    std::memcpy(inPlace.channel(c), input.channel(std::min(c, ins - 1)),
                                static_cast<std::size_t>(frames) * sizeof(float));
                }
                GuardedBuffers inPlaceBefore = inPlace;
                std::string problem;
                if (replacing) {
                    problem = list[0].process(input, outA, frames, true, false);
                    if (problem.empty()) {
                        problem = list[1].process(inPlace, inPlace, frames, true, true);
                    }
                    if (problem.empty() && ins == wide && !outA.sameAs(inPlace, frames)) {
                        problem = "in place gives other output than out of place";
                    }
                } else {
                    const bool reference = list[0].canReplace();
                    if (reference) {
                        problem = list[0].process(input, outA, frames, true, false);
                    }
                    for (int c = 0; c < outs; ++c) {
                        std::memcpy(outB.channel(c), prefill.channel(c),
                                    static_cast<std::size_t>(frames) * sizeof(float));
                    }
                    if (problem.empty()) {
                        problem = list[1].process(input, outB, frames, false, false);
                    }
                    if (problem.empty()) {
                        problem = list[2].process(inPlace, inPlace, frames, false, true);
                    }
                    if (problem.empty() && reference && !isSum(outB, prefill, outA, outs, frames)) {
                        problem =
                            "adding entry's output is not the prefilled output plus the replacing result";
                    }
                    if (problem.empty() && reference && ins == wide &&
                        !isSum(inPlace, inPlaceBefore, outA, outs, frames)) {
                        problem = "adding in place is not the input plus the replacing result";
                    }
                }
                if (!problem.empty()) {
                    return CaseResult::fail(problem + " " + where(rate, block) + ", call " +
                                            std::to_string(call) + " of " + std::to_string(frames) +
                                            " frames");
                }
                done += frames;
            }
            ++combinations;
        }
    }
    return CaseResult::pass(std::to_string(combinations) + " rate and block-size combinations");
}

CaseResult processReplace(CaseContext& context) {
    return runEntries(context, true);
}

CaseResult processAdd(CaseContext& context) {
    return runEntries(context, false);
}

// Without parameter changes, output must not depend on how the host cuts the stream into calls of at most
// the announced block size.
CaseResult blockSplit(CaseContext& context) {
    int runs = 0;
    for (float rate : rates(context)) {
        auto list = drivers(context, 2);
        std::string error;
        if (!makeInstances(context, list, error)) {
            return CaseResult::fail(error);
        }
        const bool replacing = list[0].canReplace();
        const int block = randomInt(context.rng, 1, 4096);
        const Settings settings(context.rng, list[0].programs(), list[0].parameters());
        for (auto& d : list) {
            d.host().dispatch(opSelectProgram, 0, settings.program);
            settings.apply(d, settings.values);
            d.start(rate, block);
        }
        const int total = context.scaled(framesAtLevel5 * 2);
        const int ins = std::max(list[0].inputs(), 1);
        const int outs = std::max(list[0].outputs(), 1);
        GuardedBuffers input(ins, total);
        fillSignal(input, context.rng, total);
        GuardedBuffers whole(outs, total);
        GuardedBuffers split(outs, total);
        std::vector<float*> inPtr(static_cast<std::size_t>(ins));
        std::vector<float*> outPtr(static_cast<std::size_t>(outs));
        for (int pass = 0; pass < 2; ++pass) {
            GuardedBuffers& out = pass == 0 ? whole : split;
            for (int done = 0; done < total;) {
                const int frames =
                    std::min(pass == 0 ? block : randomInt(context.rng, 1, block), total - done);
                for (int c = 0; c < ins; ++c) {
                    inPtr[static_cast<std::size_t>(c)] = input.channel(c) + done;
                }
                for (int c = 0; c < outs; ++c) {
                    outPtr[static_cast<std::size_t>(c)] = out.channel(c) + done;
                }
                list[static_cast<std::size_t>(pass)].host().process(inPtr.data(), outPtr.data(), frames,
                                                                    replacing);
                done += frames;
            }
            if (std::string damage = out.damage(); !damage.empty()) {
                return CaseResult::fail(damage + " " + where(rate, block));
            }
        }
        if (!whole.sameAs(split, total)) {
            return CaseResult::fail("output depends on how the blocks are split " + where(rate, block));
        }
        ++runs;
    }
    return CaseResult::pass(std::to_string(runs) + " rates, random splits up to the announced block size");
}

// One random but valid session, played twice on fresh instances: the same output and state bit for bit.
CaseResult determinism(CaseContext& context) {
    const std::uint32_t sessionSeed = context.seed;
    std::vector<std::vector<float>> outputs[2];
    std::vector<std::uint8_t> banks[2];
    const int steps = context.scaled(400);
    for (int run = 0; run < 2; ++run) {
        std::mt19937 rng(sessionSeed);
        PluginDriver driver(context.loader);
        std::string error;
        if (!driver.create(error)) {
            return CaseResult::fail(error);
        }
        const float rate = allRates[randomInt(rng, 0, static_cast<int>(std::size(allRates)) - 1)];
        const int block = randomInt(rng, 1, 2048);
        driver.start(rate, block);
        const int ins = std::max(driver.inputs(), 1);
        const int outs = std::max(driver.outputs(), 1);
        const bool replacing = driver.canReplace();
        for (int step = 0; step < steps; ++step) {
            switch (randomInt(rng, 0, 5)) {
            case 0:
                driver.host().setParameter(randomInt(rng, 0, std::max(driver.parameters() - 1, 0)),
                                           randomValue(rng, true));
                break;
            case 1:
                driver.host().dispatch(opSelectProgram, 0,
                                       randomInt(rng, 0, std::max(driver.programs() - 1, 0)));
                break;
            case 2:
                driver.load(driver.save(randomInt(rng, 0, 1) == 1), randomInt(rng, 0, 1) == 1);
                break;
            default: {
                const int frames = randomInt(rng, 0, block);
                GuardedBuffers input(ins, std::max(frames, 1));
                fillSignal(input, rng, frames);
                GuardedBuffers out(outs, std::max(frames, 1));
                driver.host().process(input.pointers(), out.pointers(), frames, replacing);
                for (int c = 0; c < outs; ++c) {
                    outputs[run].emplace_back(out.channel(c), out.channel(c) + frames);
                }
            }
            }
        }
        banks[run] = driver.save(false);
    }
    if (outputs[0] != outputs[1]) {
        const auto mismatch = std::mismatch(outputs[0].begin(), outputs[0].end(), outputs[1].begin());
        return CaseResult::fail("the same session gave other output the second time, from buffer " +
                                std::to_string(mismatch.first - outputs[0].begin()));
    }
    if (banks[0] != banks[1]) {
        return CaseResult::fail("the same session left another bank chunk the second time");
    }
    return CaseResult::pass(std::to_string(steps) + " steps, twice, identical output and chunks");
}

// Processing before any resume, zero-frame calls and calls after suspend: nothing outside the buffers moves,
// and a zero-frame call changes nothing.
CaseResult edgesOfProcessing(CaseContext& context) {
    PluginDriver driver(context.loader);
    std::string error;
    if (!driver.create(error)) {
        return CaseResult::fail(error);
    }
    const int ins = std::max(driver.inputs(), 1);
    const int outs = std::max(driver.outputs(), 1);
    const auto call = [&](int frames, bool replacing, const char* when) -> std::string {
        GuardedBuffers input(ins, std::max(frames, 1));
        fillSignal(input, context.rng, frames);
        GuardedBuffers out(outs, std::max(frames, 1));
        fillSignal(out, context.rng, std::max(frames, 1));
        const GuardedBuffers before = out;
        std::string problem = driver.process(input, out, frames, replacing, false);
        if (problem.empty() && frames == 0 && !out.sameAs(before, 1)) {
            problem = "a call of 0 frames changed the output";
        }
        return problem.empty() ? problem : problem + " " + when;
    };
    for (const char* when : {"before any resume", "after resume", "after suspend"}) {
        if (std::string(when) == "after resume") {
            driver.start(44100.0f, 512);
        } else if (std::string(when) == "after suspend") {
            driver.host().dispatch(opPower, 0, 0);
        }
        for (bool replacing : {false, true}) {
            if (replacing && !driver.canReplace()) {
                continue;
            }
            for (int frames : {0, 1, 64, 512}) {
                if (std::string problem = call(frames, replacing, when); !problem.empty()) {
                    return CaseResult::fail(problem);
                }
            }
        }
    }
    return CaseResult::pass("before resume, after resume and after suspend, 0 to 512 frames");
}

// Denormal input must not cost much more than normal input. Two instances with the same settings take
// turns block by block, one fed noise at subnormal level and one at normal level, so that whatever else
// the machine does falls on both; the median of the per-pair ratios is the figure.
CaseResult denormalSpeed(CaseContext& context) {
    constexpr float rate = 44100.0f;
    constexpr int block = 512;
    constexpr float subnormalScale = 1.0e-39f; // times noise within -1..1: subnormal, or zero
    constexpr double warnRatio = 1.2;
    auto list = drivers(context, 2);
    std::string error;
    if (!makeInstances(context, list, error)) {
        return CaseResult::fail(error);
    }
    const Settings settings(context.rng, list[0].programs(), list[0].parameters());
    const bool replacing = list[0].canReplace();
    const int ins = std::max(list[0].inputs(), 1);
    const int outs = std::max(list[0].outputs(), 1);
    GuardedBuffers normal(ins, block);
    fillSignal(normal, context.rng, block);
    GuardedBuffers tiny(ins, block);
    std::uint32_t noise = static_cast<std::uint32_t>(context.rng()) | 1u;
    for (int c = 0; c < ins; ++c) {
        for (int f = 0; f < block; ++f) {
            noise = noise * 1664525u + 1013904223u;
            tiny.channel(c)[f] =
                static_cast<float>(static_cast<std::int32_t>(noise)) * 4.656613e-10f * subnormalScale;
        }
    }
    for (auto& d : list) {
        d.host().dispatch(opSelectProgram, 0, settings.program);
        settings.apply(d, settings.values);
        d.start(rate, block);
    }
    GuardedBuffers out(outs, block);
    const auto timed = [&](PluginDriver& d, GuardedBuffers& in) {
        const auto start = std::chrono::steady_clock::now();
        d.host().process(in.pointers(), out.pointers(), block, replacing);
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    const int warmUp = 16;
    const int pairs = context.scaled(200, 50);
    std::vector<double> ratios;
    for (int i = 0; i < warmUp + pairs; ++i) {
        // Which of the two goes first alternates, so that neither has the warmer cache every time.
        const bool tinyFirst = i % 2 == 1;
        const double first = timed(list[tinyFirst ? 1 : 0], tinyFirst ? tiny : normal);
        const double second = timed(list[tinyFirst ? 0 : 1], tinyFirst ? normal : tiny);
        const double normalTime = tinyFirst ? second : first;
        const double tinyTime = tinyFirst ? first : second;
        if (i >= warmUp && normalTime > 0.0) {
            ratios.push_back(tinyTime / normalTime);
        }
    }
    if (ratios.empty()) {
        return CaseResult::skip("the clock did not resolve a block's processing time");
    }
    std::nth_element(ratios.begin(), ratios.begin() + static_cast<std::ptrdiff_t>(ratios.size() / 2),
                     ratios.end());
    const double median = ratios[ratios.size() / 2];
    char text[160];
    std::snprintf(text, sizeof text,
                  "denormal input takes %.2fx the time of normal input (median of %zu block pairs)", median,
                  ratios.size());
    return median > warnRatio ? CaseResult::warn(std::string(text) + ", above 1.2x") : CaseResult::pass(text);
}

} // namespace

std::vector<ValidatorCase> audioCases() {
    return {{"process-replace", processReplace, 10.0}, {"process-add", processAdd, 15.0},
            {"block-split", blockSplit, 5.0},          {"determinism", determinism, 5.0},
            {"process-edges", edgesOfProcessing, 2.0}, {"denormal-speed", denormalSpeed, 2.0}};
}

} // namespace chorus::host
