// Audio cases: every sample rate and block size in both processing entries, in place and not, with guard
// zones and finiteness, and independence of how the host splits its blocks.
#include "host/validate/AudioCaseSetup.h"

#include <algorithm>
#include <cstring>

namespace chorus::host {

namespace {

const int fixedBlocks[] = {1, 2, 3, 10, 17, 64, 512, 1024, 2027, 4096, 16384};
constexpr int maxBlock = 16384;
// Per instance and combination, beyond one full block; with the three fractional rates the combinations
// grew by a fifth, so each got shorter to keep the everyday run as long as it was.
constexpr int framesAtLevel5 = 3328;

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

// The channel counts of one combination, read once from its first instance: ins and outs at least 1, wide
// the wider of the two for the in-place buffers.
struct Widths {
    int ins;
    int outs;
    int wide;
};

// One call of frames with fresh random input: replacing runs instance 0 out of place and instance 1 in
// place; adding runs instance 0 replacing (when it can), instance 1 into prefilled outputs and instance 2
// in place. Empty, or what went wrong.
std::string checkedCall(std::deque<PluginDriver>& list, bool replacing, const Widths& w, std::mt19937& rng,
                        int frames) {
    GuardedBuffers input(w.ins, frames);
    fillSignal(input, rng, frames);
    GuardedBuffers outA(w.outs, frames);
    GuardedBuffers outB(w.outs, frames);
    GuardedBuffers prefill(w.outs, frames);
    fillSignal(prefill, rng, frames);
    GuardedBuffers inPlace(w.wide, frames);
    for (int c = 0; c < w.wide; ++c) {
        std::memcpy(inPlace.channel(c), input.channel(std::min(c, w.ins - 1)),
                    static_cast<std::size_t>(frames) * sizeof(float));
    }
    GuardedBuffers inPlaceBefore = inPlace;
    std::string problem;
    if (replacing) {
        problem = list[0].process(input, outA, frames, true, false);
        if (problem.empty()) {
            problem = list[1].process(inPlace, inPlace, frames, true, true);
        }
        if (problem.empty() && w.ins == w.wide && !outA.sameAs(inPlace, frames)) {
            problem = "in place gives other output than out of place";
        }
        return problem;
    }
    const bool reference = list[0].canReplace();
    if (reference) {
        problem = list[0].process(input, outA, frames, true, false);
    }
    for (int c = 0; c < w.outs; ++c) {
        std::memcpy(outB.channel(c), prefill.channel(c), static_cast<std::size_t>(frames) * sizeof(float));
    }
    if (problem.empty()) {
        problem = list[1].process(input, outB, frames, false, false);
    }
    if (problem.empty()) {
        problem = list[2].process(inPlace, inPlace, frames, false, true);
    }
    if (problem.empty() && reference && !isSum(outB, prefill, outA, w.outs, frames)) {
        problem = "adding entry's output is not the prefilled output plus the replacing result";
    }
    if (problem.empty() && reference && w.ins == w.wide &&
        !isSum(inPlace, inPlaceBefore, outA, w.outs, frames)) {
        problem = "adding in place is not the input plus the replacing result";
    }
    return problem;
}

// replacing: instance 0 out of place, instance 1 in place, same output. Adding: instance 0 replaces (when it
// can), instance 1 adds into prefilled outputs, instance 2 adds in place; both sums must be exact.
CaseResult runEntries(CaseContext& context, bool replacing) {
    int combinations = 0;
    const auto rateList = audioCaseRates(context);
    for (std::size_t r = 0; r < rateList.size(); ++r) {
        const float rate = rateList[r];
        for (int block : blockSizes(context, r)) {
            std::deque<PluginDriver> list;
            std::string error;
            if (!createDrivers(context, replacing ? 2 : 3, list, error)) {
                return CaseResult::fail(error);
            }
            if (replacing && !list[0].canReplace()) {
                return CaseResult::skip("the plug-in does not offer the replacing entry");
            }
            const RandomSettings settings(context.rng, list[0].programs(), list[0].parameters());
            settings.startAll(list, rate, block);
            const Widths widths{std::max(list[0].inputs(), 1), std::max(list[0].outputs(), 1),
                                std::max({list[0].inputs(), list[0].outputs(), 1})};
            const int total = block + context.scaled(framesAtLevel5);
            for (int done = 0, call = 0; done < total; ++call) {
                const int frames =
                    std::min(call % 2 == 0 ? block : randomInt(context.rng, 1, block), total - done);
                if (done >= total / 2 && done - frames < total / 2) {
                    for (auto& d : list) {
                        settings.apply(d, settings.later);
                    }
                }
                if (std::string problem = checkedCall(list, replacing, widths, context.rng, frames);
                    !problem.empty()) {
                    return CaseResult::fail(problem + " " + rateAndBlock(rate, block) + ", call " +
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

} // namespace

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
    for (float rate : audioCaseRates(context)) {
        std::deque<PluginDriver> list;
        std::string error;
        if (!createDrivers(context, 2, list, error)) {
            return CaseResult::fail(error);
        }
        const bool replacing = list[0].canReplace();
        const int block = randomInt(context.rng, 1, 4096);
        const RandomSettings settings(context.rng, list[0].programs(), list[0].parameters());
        settings.startAll(list, rate, block);
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
                return CaseResult::fail(damage + " " + rateAndBlock(rate, block));
            }
        }
        if (!whole.sameAs(split, total)) {
            return CaseResult::fail("output depends on how the blocks are split " +
                                    rateAndBlock(rate, block));
        }
        ++runs;
    }
    return CaseResult::pass(std::to_string(runs) + " rates, random splits up to the announced block size");
}

} // namespace chorus::host
