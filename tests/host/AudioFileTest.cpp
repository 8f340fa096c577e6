#include "host/AudioFile.h"

#include "host/DemoSignal.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <string>

using chorus::host::AudioFile;
using chorus::host::DemoSignal;

namespace {

std::string scratchPath(const char* name) {
    return std::string("host-test-") + name;
}

} // namespace

TEST(AudioFile, FloatFilesRoundTripExactly) {
    for (int channels : {1, 2}) {
        AudioFile file;
        file.channels = channels;
        file.sampleRate = 48000;
        for (int i = 0; i < 1000 * channels; ++i) {
            file.samples.push_back(static_cast<float>(std::sin(i * 0.37)) * 1.5f +
                                   1.0e-7f * static_cast<float>(i));
        }
        file.samples[5] = std::numeric_limits<float>::denorm_min();
        file.samples[6] = -0.0f;
        const std::string path = scratchPath(channels == 1 ? "mono.wav" : "stereo.wav");
        std::string error;
        ASSERT_TRUE(file.write(path, error)) << error;
        AudioFile back;
        ASSERT_TRUE(back.read(path, error)) << error;
        EXPECT_EQ(back.channels, channels);
        EXPECT_EQ(back.sampleRate, 48000);
        EXPECT_EQ(back.frames(), 1000);
        EXPECT_EQ(back.samples, file.samples);
        std::remove(path.c_str());
    }
}

TEST(AudioFile, MissingAndForeignFilesAreReportedErrors) {
    AudioFile file;
    std::string error;
    EXPECT_FALSE(file.read(scratchPath("does-not-exist.wav"), error));
    EXPECT_NE(error.find("does-not-exist.wav"), std::string::npos) << error;

    const std::string path = scratchPath("not-audio.wav");
    {
        std::ofstream out(path, std::ios::binary);
        out << "this is not a RIFF file at all, just some text standing in for audio";
    }
    error.clear();
    EXPECT_FALSE(file.read(path, error));
    EXPECT_FALSE(error.empty());
    std::remove(path.c_str());
}

TEST(DemoSignal, IsDeterministicAudibleAndWithinFullScale) {
    const AudioFile a = DemoSignal::generate(44100, 3.0);
    const AudioFile b = DemoSignal::generate(44100, 3.0);
    EXPECT_EQ(a.channels, 2);
    EXPECT_EQ(a.sampleRate, 44100);
    EXPECT_EQ(a.frames(), 3 * 44100);
    EXPECT_EQ(a.samples, b.samples);
    float peak = 0.0f;
    double energy = 0.0;
    for (float sample : a.samples) {
        ASSERT_TRUE(std::isfinite(sample));
        peak = std::max(peak, std::fabs(sample));
        energy += static_cast<double>(sample) * sample;
    }
    EXPECT_LT(peak, 1.0f);
    EXPECT_GT(std::sqrt(energy / static_cast<double>(a.samples.size())), 0.02); // clearly audible
    // Left and right differ (the voices are spread), so a stereo effect has something to work on.
    double difference = 0.0;
    for (long long f = 0; f < a.frames(); ++f) {
        difference += std::fabs(a.sample(f, 0) - a.sample(f, 1));
    }
    EXPECT_GT(difference, 1.0);
    EXPECT_EQ(DemoSignal::generate(22050, 1.0).frames(), 22050);
}
