// Thread and lifetime cases: no allocation while processing, an audio thread against a thread that automates,
// several instances on several threads, and many lifecycles with memory and handles flat.
#include "host/validate/PluginDriver.h"
#include "host/validate/ResourceCounter.h"
#include "host/validate/ValidatorCase.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

namespace chorus::host {

namespace {

constexpr float threadRate = 44100.0f;
constexpr int threadBlock = 256;

// The first problem any thread reports; later ones are dropped.
class Problems {
public:
    void report(const std::string& text) {
        std::lock_guard<std::mutex> lock(mutex);
        if (first.empty()) {
            first = text;
        }
        seen = true;
    }
    bool any() const { return seen.load(); }
    std::string text() {
        std::lock_guard<std::mutex> lock(mutex);
        return first;
    }

private:
    std::mutex mutex;
    std::string first;
    std::atomic<bool> seen{false};
};

std::string installCounter(CaseContext& context) {
    const std::string how = ResourceCounter::install(reinterpret_cast<const void*>(context.loader.entry()));
    context.note(how);
    return how.rfind("cannot", 0) == 0 ? how : std::string();
}

// One processing call with allocation counting on; the problem, if any.
std::string countedProcess(PluginDriver& driver, std::mt19937& rng, int frames, bool replacing) {
    const int ins = std::max(driver.inputs(), 1);
    const int outs = std::max(driver.outputs(), 1);
    GuardedBuffers in(ins, std::max(frames, 1));
    fillSignal(in, rng, frames);
    GuardedBuffers out(outs, std::max(frames, 1));
    return driver.process(in, out, frames, replacing, false, true);
}

// What a host thread other than the audio thread does: parameters, programs, chunks and typed text.
void automateOnce(PluginDriver& driver, std::mt19937& rng, const std::vector<std::uint8_t>& bank,
                  const std::vector<std::uint8_t>& program) {
    switch (randomInt(rng, 0, 9)) {
    case 0:
        driver.host().dispatch(opSelectProgram, 0, randomInt(rng, 0, std::max(driver.programs() - 1, 0)));
        break;
    case 1:
        driver.load(bank, false);
        break;
    case 2:
        driver.load(program, true);
        break;
    case 3: {
        char text[] = "2,5";
        driver.host().dispatch(opParamFromText, randomInt(rng, 0, std::max(driver.parameters() - 1, 0)), 0,
                               text);
        break;
    }
    default:
        driver.host().setParameter(randomInt(rng, 0, std::max(driver.parameters() - 1, 0)),
                                   randomValue(rng, true));
    }
}

} // namespace

CaseResult noAllocation(CaseContext& context) {
    if (std::string error = installCounter(context); !error.empty()) {
        return CaseResult::skip(error);
    }
    int calls = 0;
    for (float rate : {44100.0f, 96000.0f, 192000.0f}) {
        for (int block : {64, 512, 4096}) {
            PluginDriver driver(context.loader);
            std::string error;
            if (!driver.create(error)) {
                return CaseResult::fail(error);
            }
            driver.start(rate, block);
            const auto bank = driver.save(false);
            const auto program = driver.save(true);
            // The first call may set things up; from then on nothing is allocated.
            countedProcess(driver, context.rng, block, driver.canReplace());
            for (int i = 0; i < context.scaled(60); ++i, ++calls) {
                automateOnce(driver, context.rng, bank, program);
                const bool replacing = driver.canReplace() && i % 2 == 0;
                const int frames = i % 3 == 0 ? block : randomInt(context.rng, 0, block);
                if (std::string problem = countedProcess(driver, context.rng, frames, replacing);
                    !problem.empty()) {
                    return CaseResult::fail(problem + " at " + std::to_string(static_cast<int>(rate)) +
                                            " Hz");
                }
            }
        }
    }
    return CaseResult::pass(std::to_string(calls) + " processing calls after resume, none allocated");
}

// An audio thread processing at full speed while another thread automates.
CaseResult audioAgainstAutomation(CaseContext& context) {
    if (std::string error = installCounter(context); !error.empty()) {
        return CaseResult::skip(error);
    }
    PluginDriver driver(context.loader);
    std::string error;
    if (!driver.create(error)) {
        return CaseResult::fail(error);
    }
    driver.start(threadRate, threadBlock);
    const auto bank = driver.save(false);
    const auto program = driver.save(true);
    Problems problems;
    std::atomic<bool> stop{false};
    std::atomic<long long> blocks{0};
    std::atomic<long long> changes{0};
    std::thread audio([&, seed = context.rng()] {
        std::mt19937 rng(seed);
        countedProcess(driver, rng, threadBlock, driver.canReplace());
        while (!stop.load() && !problems.any()) {
            const bool replacing = driver.canReplace() && randomInt(rng, 0, 1) == 1;
            if (std::string p = countedProcess(driver, rng, randomInt(rng, 1, threadBlock), replacing);
                !p.empty()) {
                problems.report("audio thread: " + p);
            }
            blocks.fetch_add(1);
        }
    });
    std::thread automation([&, seed = context.rng()] {
        std::mt19937 rng(seed);
        while (!stop.load() && !problems.any()) {
            automateOnce(driver, rng, bank, program);
            changes.fetch_add(1);
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(context.scaled(3000)));
    stop = true;
    audio.join();
    automation.join();
    if (problems.any()) {
        return CaseResult::fail(problems.text());
    }
    for (float v : driver.parameterValues()) {
        if (!std::isfinite(v)) {
            return CaseResult::fail("a parameter reads non-finite after the run");
        }
    }
    return CaseResult::pass(std::to_string(blocks.load()) + " blocks against " +
                            std::to_string(changes.load()) + " requests from another thread");
}

CaseResult instancesOnThreads(CaseContext& context) {
    const int threads = std::min(context.scaled(4, 2), 16);
    const int iterations = context.scaled(300);
    Problems problems;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, seed = context.rng()] {
            std::mt19937 rng(seed);
            for (int round = 0; round < 3 && !problems.any(); ++round) {
                PluginDriver driver(context.loader);
                std::string error;
                if (!driver.create(error)) {
                    problems.report(error);
                    return;
                }
                driver.start(threadRate, threadBlock);
                const auto bank = driver.save(false);
                const auto program = driver.save(true);
                for (int i = 0; i < iterations / 3 && !problems.any(); ++i) {
                    automateOnce(driver, rng, bank, program);
                    const int ins = std::max(driver.inputs(), 1);
                    const int outs = std::max(driver.outputs(), 1);
                    GuardedBuffers in(ins, threadBlock);
                    fillSignal(in, rng, threadBlock);
                    GuardedBuffers out(outs, threadBlock);
                    if (std::string p = driver.process(in, out, threadBlock, driver.canReplace(), false);
                        !p.empty()) {
                        problems.report(p);
                    }
                }
            }
        });
    }
    for (auto& worker : workers) {
        worker.join();
    }
    if (problems.any()) {
        return CaseResult::fail(problems.text());
    }
    return CaseResult::pass(std::to_string(threads) + " threads, each with its own instances");
}

CaseResult lifecycles(CaseContext& context) {
    if (std::string error = installCounter(context); !error.empty()) {
        return CaseResult::skip(error);
    }
    const int cycles = context.scaled(1000, 20);
    const int warmUp = 10;
    ResourceCounter::Snapshot start;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        if (cycle == warmUp) {
            start = ResourceCounter::snapshot();
        }
        PluginDriver driver(context.loader);
        std::string error;
        if (!driver.create(error)) {
            return CaseResult::fail(error + " at cycle " + std::to_string(cycle));
        }
        driver.start(cycle % 2 == 0 ? 44100.0f : 96000.0f, 512);
        driver.host().setParameter(0, randomValue(context.rng, false));
        driver.load(driver.save(false), false);
        const int ins = std::max(driver.inputs(), 1);
        const int outs = std::max(driver.outputs(), 1);
        GuardedBuffers in(ins, 512);
        GuardedBuffers out(outs, 512);
        if (std::string p = driver.process(in, out, 512, driver.canReplace(), false); !p.empty()) {
            return CaseResult::fail(p + " at cycle " + std::to_string(cycle));
        }
        driver.close();
    }
    const auto end = ResourceCounter::snapshot();
    if (std::string grown = ResourceCounter::changes(start, end); !grown.empty()) {
        return CaseResult::fail("not flat over " + std::to_string(cycles - warmUp) +
                                " create/destroy cycles: " + grown);
    }
    return CaseResult::pass(std::to_string(cycles) + " create/destroy cycles; allocations" +
                            (end.gdiObjects >= 0 ? ", GDI objects, windows and handles" : "") + " flat");
}

} // namespace chorus::host
