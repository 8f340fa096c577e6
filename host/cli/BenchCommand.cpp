#include "dsp/WaveShape.h"
#include "host/cli/Commands.h"
#include "host/cli/HostMessages.h"
#include "host/session/HostedPlugin.h"
#include "host/session/ModuleLoader.h"
#include "host/session/Session.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#else
#include <ctime>
#endif

namespace chorus::host {

namespace {

constexpr int benchRate = 44100;              // Hz
constexpr double defaultSeconds = 5.0;        // of audio per timed pass
constexpr double warmUpSeconds = 1.0;         // lets the depth and wet ramps settle first
constexpr int timedPasses = 3;                // the fastest pass counts: the others met a busier machine
constexpr double minimumPassCpuSeconds = 0.5; // the thread clock may tick only every 10 ms (Wine)
constexpr float testToneHz = 220.0f;

// Processor time of this thread: on a shared machine wall time mostly measures the other processes.
double threadCpuSeconds() {
#ifdef _WIN32
    FILETIME creation, exit, kernel, user;
    if (GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user) == 0) {
        return 0.0;
    }
    const auto units = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                   t.dwLowDateTime);
    };
    return (units(kernel) + units(user)) * 1e-7; // 100 ns units
#else
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
#endif
}

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

    // Processor seconds per block through the replacing entry, over `blocks` blocks repeated until the
    // pass has taken at least `minimumSeconds`.
    double time(long long blocks, double minimumSeconds) {
        long long done = 0;
        long long total = 0;
        const double start = threadCpuSeconds();
        double elapsed = 0.0;
        do {
            for (long long b = 0; b < blocks; ++b) {
                fillInput(done);
                plugin.process(inputPtrs.data(), outputPtrs.data(), frames, true);
                done += frames;
            }
            total += blocks;
            elapsed = threadCpuSeconds() - start;
        } while (elapsed < minimumSeconds);
        return elapsed / static_cast<double>(total);
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

int commands::bench(const HostOptions& options, std::FILE* out, std::FILE* err) {
    ModuleLoader loader;
    std::string error;
    if (!loader.load(options.arguments[0], error)) {
        return HostMessages::fail(err, error);
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
    std::fprintf(out, "# %s, %d Hz, %d-frame blocks, processor time, best of %d passes of %.1f s of audio\n",
                 options.arguments[0].c_str(), rate, block, timedPasses, seconds);
    std::fprintf(out, "# chorus-host: %s\n", CHORUS_BUILD_KIND);
    std::fprintf(out, "%-10s %6s %-8s %14s\n", "shape", "stages", "route", "ns/frame/stage");
    for (const Case& c : cases) {
        Session session;
        Session::Shape shape;
        shape.sampleRate = rate;
        shape.blockSize = block;
        shape.inputPins = c.inputs; // one connected input: the plug-in routes one channel into two
        shape.log = err;
        if (session.open(options, shape, error) != Session::Result::ok ||
            !setParameter(session.plugin(), "Shape", static_cast<float>(c.shape) * 0.5f, error) ||
            !setParameter(session.plugin(), "Stages", c.stages == 1 ? 0.0f : 1.0f, error)) {
            return HostMessages::fail(err, error);
        }
        HostMessages::warn(err, session.warnings());
        HostedPlugin& plugin = session.plugin();
        plugin.dispatch(opPower, 0, 1);
        CaseRunner runner(plugin, block);
        runner.time(warmUpBlocks, 0.0);
        double best = 0.0;
        for (int pass = 0; pass < timedPasses; ++pass) {
            const double t = runner.time(timedBlocks, minimumPassCpuSeconds);
            best = pass == 0 ? t : std::min(best, t);
        }
        plugin.dispatch(opPower, 0, 0);
        plugin.close();
        const double perFrameStage =
            best * 1e9 / (static_cast<double>(block) * static_cast<double>(c.stages));
        std::fprintf(out, "%-10s %6d %-8s %14.2f\n", shapeNames[static_cast<std::size_t>(c.shape)].data(),
                     c.stages, c.inputs == 2 ? "stereo" : "mono-in", perFrameStage);
        std::fflush(out);
    }
    return HostMessages::exitOk;
}

} // namespace chorus::host
