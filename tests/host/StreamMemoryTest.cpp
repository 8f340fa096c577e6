// A long render's memory stays that of a few blocks. Its own test program, so the process's peak is this
// render's alone. The input is made as it is read, so no long file is ever stored.
#include "host/audio/WavWriter.h"
#include "host/cli/PeakMemory.h"
#include "host/session/AutomationSchedule.h"
#include "host/session/HostedPlugin.h"
#include "host/session/ModuleLoader.h"
#include "host/session/ParameterCatalog.h"
#include "host/session/Session.h"
#include "host/session/StreamRenderer.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>

using namespace chorus::host;

namespace {

constexpr int rate = 8000; // Hz: the lowest rate keeps the run short for its length
constexpr long long minutes = 3;
constexpr long long totalFrames = minutes * 60 * rate;
constexpr double allowedGrowthBytes = 6.0 * 1024 * 1024;

// A stereo tone of any length, made block by block.
class ToneReader final : public AudioReader {
public:
    ToneReader() {
        channelCount = 2;
        AudioReader::rate = rate;
        frameCount = totalFrames;
    }
    bool read(float* interleaved, int count, std::string&) override {
        for (int i = 0; i < count; ++i, ++position) {
            const float value = 0.5f * static_cast<float>(std::sin(static_cast<double>(position) * 0.05));
            interleaved[2 * i] = value;
            interleaved[2 * i + 1] = -value;
        }
        return true;
    }

private:
    long long position = 0;
};

} // namespace

TEST(StreamRender, MemoryDoesNotGrowWithTheFile) {
    ModuleLoader loader;
    HostedPlugin plugin;
    std::string error;
    ASSERT_TRUE(loader.load(CHORUS_MODULE_FILE, error)) << error;
    ASSERT_TRUE(plugin.create(loader.entry(), error)) << error;
    plugin.dispatch(opOpen);
    plugin.dispatch(opSampleRate, 0, 0, nullptr, static_cast<float>(rate));
    plugin.dispatch(opBlockSize, 0, 512);
    ParameterCatalog catalog;
    catalog.read(plugin);
    AutomationSchedule schedule(catalog, Session::readProgramNames(plugin), rate);
    ASSERT_TRUE(schedule.add("0..1440000", "Freq=0..5", "test", error)) << error;
    plugin.dispatch(opPower, 0, 1);

    const std::string path = "host-memory-test.wav";
    ToneReader input;
    WavWriter output;
    ASSERT_TRUE(output.open(path, 2, rate, SampleFormat::s16, error)) << error;
    const long long before = PeakMemory::residentBytes();
    ASSERT_GT(before, 0) << "no memory figure from the system";
    StreamRenderer renderer(plugin, schedule, catalog);
    ASSERT_TRUE(renderer.run(input, output, StreamRenderer::Settings{}, error)) << error;
    ASSERT_TRUE(output.finish(error)) << error;
    const double growth = static_cast<double>(PeakMemory::residentBytes() - before);
    // Holding the input and the output as floats would take 2 x 2 x 4 bytes a frame: about 23 MB.
    EXPECT_LT(growth, allowedGrowthBytes);
    std::printf("peak resident memory grew by %.2f MB over %lld frames\n", growth / (1024.0 * 1024.0),
                totalFrames);
    std::remove(path.c_str());
}
