#include "host/session/StreamRenderer.h"

#include "host/session/BlockScheduler.h"

#include <algorithm>
#include <chrono>

namespace chorus::host {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds progressDelay{1000};   // quick renders show no progress line
constexpr std::chrono::milliseconds progressInterval{250}; // redraw rate of the line

// What follows the progress line, a message or the shell's prompt, starts on a line of its own.
void endProgressLine(const StreamRenderer::Settings& settings, bool shown) {
    if (shown) {
        std::fprintf(settings.progress, "\n");
    }
}

} // namespace

StreamRenderer::StreamRenderer(HostedPlugin& hosted, AutomationSchedule& automation,
                               const ParameterCatalog& table)
    : plugin(hosted), schedule(automation), catalog(table) {}

void StreamRenderer::logChange(const AutomationSchedule::Change& change, long long frame, std::FILE* log) {
    if (change.program) {
        std::fprintf(log, "at %lld selectProgram %d %s\n", frame, change.index, plugin.programName().c_str());
        return;
    }
    const std::string unit = plugin.paramUnit(change.index);
    std::fprintf(log, "at %lld setParameter %d %s %g (%s%s%s)\n", frame, change.index,
                 catalog.parameters()[static_cast<size_t>(change.index)].name.c_str(),
                 static_cast<double>(change.value), plugin.paramDisplay(change.index).c_str(),
                 unit.empty() ? "" : " ", unit.c_str());
}

bool StreamRenderer::run(AudioReader& input, WavWriter& output, const Settings& settings,
                         std::string& error) {
    const EffectDescriptor& descriptor = *plugin.descriptor();
    const auto block = static_cast<size_t>(settings.blockSize);
    const auto channels = static_cast<size_t>(input.channels());
    // Pins the plug-in has but the file does not feed get silence; they are reported unconnected.
    std::vector<std::vector<float>> inputBuffers(
        std::max<size_t>(channels, static_cast<size_t>(descriptor.inputCount)),
        std::vector<float>(block, 0.0f));
    std::vector<std::vector<float>> outputBuffers(
        std::max<size_t>(outputChannels, static_cast<size_t>(descriptor.outputCount)),
        std::vector<float>(block, 0.0f));
    std::vector<float*> inputs;
    std::vector<float*> outputs;
    for (auto& buffer : inputBuffers) {
        inputs.push_back(buffer.data());
    }
    for (auto& buffer : outputBuffers) {
        outputs.push_back(buffer.data());
    }
    std::vector<float> interleavedIn(block * channels);
    std::vector<float> interleavedOut(block * outputChannels);
    const long long total = input.frames();
    schedule.start(total);
    BlockScheduler scheduler(plugin, &schedule, settings.blockSize);
    const Clock::time_point started = Clock::now();
    Clock::time_point shown = started;
    bool progressShown = false;
    for (long long done = 0; done < total;) {
        bool lineEnded = !progressShown;
        const auto frames =
            static_cast<size_t>(scheduler.begin(total - done, [&](const auto& change, long long frame) {
                if (settings.log == nullptr) {
                    return;
                }
                if (!lineEnded) {
                    std::fprintf(settings.progress, "\n"); // log lines start on a line of their own
                    lineEnded = true;
                }
                logChange(change, frame, settings.log);
            }));
        const long long end = done + static_cast<long long>(frames);
        if (!input.read(interleavedIn.data(), static_cast<int>(frames), error)) {
            endProgressLine(settings, progressShown);
            return false;
        }
        for (size_t c = 0; c < channels; ++c) {
            for (size_t j = 0; j < frames; ++j) {
                inputBuffers[c][j] = interleavedIn[j * channels + c];
            }
        }
        // The adding entry adds to what the host leaves in the outputs: start from silence.
        for (auto& buffer : outputBuffers) {
            std::fill(buffer.begin(), buffer.end(), 0.0f);
        }
        scheduler.process(inputs.data(), outputs.data(), static_cast<int>(frames), settings.replacing);
        for (size_t c = 0; c < outputChannels; ++c) {
            for (size_t j = 0; j < frames; ++j) {
                interleavedOut[j * outputChannels + c] = outputBuffers[c][j];
            }
        }
        if (!output.write(interleavedOut.data(), static_cast<int>(frames), error)) {
            endProgressLine(settings, progressShown);
            return false;
        }
        done = end;
        const Clock::time_point now = Clock::now();
        if (settings.progress != nullptr && now - started >= progressDelay &&
            (now - shown >= progressInterval || done == total)) {
            shown = now;
            progressShown = true;
            const double elapsed = std::chrono::duration<double>(now - started).count();
            const double audio = static_cast<double>(done) / input.sampleRate();
            std::fprintf(settings.progress, "\rrendering %3d%% (%.1fx real time)",
                         static_cast<int>(done * 100 / total), audio / elapsed);
            std::fflush(settings.progress);
        }
    }
    endProgressLine(settings, progressShown);
    return true;
}

} // namespace chorus::host
