#include "host/BenchCommand.h"

#include "host/HostCommands.h"
#include "host/HostedPlugin.h"
#include "host/ModuleLoader.h"
#include "host/PluginSetup.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

namespace chorus::host {

namespace {

constexpr int benchRate = 44100;       // Hz
constexpr double defaultSeconds = 5.0; // of audio per timed pass
constexpr double warmUpSeconds = 1.0;  // lets the depth and wet ramps settle first
constexpr int timedPasses = 3;         // the fastest pass counts: the others met a busier machine
constexpr float testToneHz = 220.0f;

const char* const shapeNames[] = {"ramp", "sine", "trapezoid"};

struct Case {
    int shape;
    int stages;
    int inputs;
};

// One plug-in instance rendering one case: the channels, the buffers and the clock around the entry.
class CaseRunner {
public:
    CaseRunner(HostedPlugin& plugin_, int block)
        : plugin(plugin_), frames(block), inputData(2, std::vector<float>(static_cast<std::size_t>(block))),
          outputData(2, std::vector<float>(static_cast<std::size_t>(block))) {
        for (int c = 0; c < 2; ++c) {
            inputPtrs.push_back(inputData[static_cast<std::size_t>(c)].data());
            outputPtrs.push_back(outputData[static_cast<std::size_t>(c)].data());
        }
    }

    // Seconds for `blocks` blocks through the replacing entry.
    double time(long long blocks) {
        long long done = 0;
        const auto start = std::chrono::steady_clock::now();
        for (long long b = 0; b < blocks; ++b) {
            fillInput(done);
            plugin.process(inputPtrs.data(), outputPtrs.data(), frames, true);
            done += frames;
        }
        const auto end = std::chrono::steady_clock::now();
        return std::chrono::duration<double>(end - start).count();
    }

private:
    // A new tone each block, as a host would deliver it; its cost is outside the plug-in but inside the
    // clock, and small (one sine per block, the rest a recurrence).
    void fillInput(long long first) {
        const double step = 2.0 * 3.141592653589793 * testToneHz / benchRate;
        const float s = static_cast<float>(std::sin(step * static_cast<double>(first % benchRate)));
        for (auto& channel : inputData) {
            float value = s;
            for (float& v : channel) {
                v = value;
                value = 0.999f * value;
            }
        }
    }

    HostedPlugin& plugin;
    int frames;
    std::vector<std::vector<float>> inputData;
    std::vector<std::vector<float>> outputData;
    std::vector<float*> inputPtrs;
    std::vector<float*> outputPtrs;
};

bool setParameter(HostedPlugin& plugin, const char* name, float normalized, std::string& error) {
    const int32_t index = plugin.findParameter(name);
    if (index < 0) {
        error = std::string("the plug-in has no parameter ") + name;
        return false;
    }
    plugin.setParameter(index, normalized);
    return true;
}

} // namespace

int BenchCommand::run(const HostOptions& options, std::FILE* out, std::FILE* err) {
    ModuleLoader loader;
    std::string error;
    if (!loader.load(options.arguments[0], error)) {
        return HostCommands::fail(err, error);
    }
    const int block = options.blockSize;
    const double seconds = options.seconds.value_or(defaultSeconds);
    const int rate = options.sampleRate > 0 ? options.sampleRate : benchRate;
    const long long timedBlocks = std::max(1LL, static_cast<long long>(seconds * rate / block));
    const long long warmUpBlocks = static_cast<long long>(warmUpSeconds * rate / block) + 1;

    std::vector<Case> cases;
    for (int shape = 0; shape < 3; ++shape) {
        for (int stages : {1, 4}) {
            for (int inputs : {2, 1}) {
                cases.push_back({shape, stages, inputs});
            }
        }
    }
    std::fprintf(out, "# %s, %d Hz, %d-frame blocks, best of %d passes of %.1f s\n",
                 options.arguments[0].c_str(), rate, block, timedPasses, seconds);
    std::fprintf(out, "%-10s %6s %-8s %14s\n", "shape", "stages", "route", "ns/frame/stage");
    for (const Case& c : cases) {
        HostedPlugin plugin;
        // One connected input: the plug-in routes one channel into two.
        plugin.setConnectedPins(c.inputs, 2);
        plugin.setLog(options.log ? err : nullptr);
        if (!plugin.create(loader.entry(), error)) {
            return HostCommands::fail(err, error);
        }
        plugin.dispatch(opOpen);
        plugin.dispatch(opSampleRate, 0, 0, nullptr, static_cast<float>(rate));
        plugin.dispatch(opBlockSize, 0, block);
        if (!PluginSetup::apply(options, plugin, error) ||
            !setParameter(plugin, "Shape", static_cast<float>(c.shape) * 0.5f, error) ||
            !setParameter(plugin, "Stages", c.stages == 1 ? 0.0f : 1.0f, error)) {
            return HostCommands::fail(err, error);
        }
        plugin.dispatch(opPower, 0, 1);
        CaseRunner runner(plugin, block);
        runner.time(warmUpBlocks);
        double best = 0.0;
        for (int pass = 0; pass < timedPasses; ++pass) {
            const double t = runner.time(timedBlocks);
            best = pass == 0 ? t : std::min(best, t);
        }
        plugin.dispatch(opPower, 0, 0);
        plugin.close();
        const double perFrameStage =
            best * 1e9 / (static_cast<double>(timedBlocks) * block * static_cast<double>(c.stages));
        std::fprintf(out, "%-10s %6d %-8s %14.2f\n", shapeNames[c.shape], c.stages,
                     c.inputs == 2 ? "stereo" : "mono-in", perFrameStage);
        std::fflush(out);
    }
    return HostCommands::exitOk;
}

} // namespace chorus::host
