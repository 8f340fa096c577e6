// Processing cases: one random session played twice for determinism, processing at the edges of the
// instance's life, and the cost of denormal input.
#include "host/validate/AudioCaseSetup.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace chorus::host {

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
        const float rate = anyAudioCaseRate(rng);
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
    std::deque<PluginDriver> list;
    std::string error;
    if (!createDrivers(context, 2, list, error)) {
        return CaseResult::fail(error);
    }
    const RandomSettings settings(context.rng, list[0].programs(), list[0].parameters());
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
    settings.startAll(list, rate, block);
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

} // namespace chorus::host
