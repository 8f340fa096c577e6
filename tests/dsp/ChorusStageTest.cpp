#include "dsp/ChorusStage.h"

#include "SineCosineSweep.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <vector>

using chorus::ChorusStage;

namespace {

constexpr float rate44k = 44100.0f;
constexpr double twoPi = 6.283185307179586;

// Runs a stage on silence until its depth and wet ramps have settled.
void settle(ChorusStage& stage, int frames = 20000) {
    std::vector<float> silence(static_cast<std::size_t>(frames), 0.0f);
    stage.processMono(silence.data(), silence.data(), frames);
}

// Phase distance a -> b going forward, in 0..2 pi.
double forwardDistance(double a, double b) {
    double d = std::fmod(b - a, twoPi);
    return d < 0 ? d + twoPi : d;
}

} // namespace

TEST(ChorusStage, LineHoldsFiveMillisecondsOfSamples) {
    EXPECT_EQ(ChorusStage(44100.0f).getLineLength(), 220);
    EXPECT_EQ(ChorusStage(48000.0f).getLineLength(), 240);
    EXPECT_EQ(ChorusStage(96000.0f).getLineLength(), 480);
    EXPECT_EQ(ChorusStage(8200.0f).getLineLength(), 41);
}

TEST(ChorusStage, DelayTargetsInWholeSamplesClampedToTheLine) {
    ChorusStage stage(rate44k);
    stage.setDelayMs(5.0f);
    EXPECT_EQ(stage.depth().targetValue(), 220.0f);
    stage.setDelayMs(2.0f);
    EXPECT_EQ(stage.depth().targetValue(), 88.0f);
    stage.setDelayMs(0.0f);
    EXPECT_EQ(stage.depth().targetValue(), 1.0f);
    stage.setDelayMs(1.0e9f);
    EXPECT_EQ(stage.depth().targetValue(), 220.0f);
    stage.setDelaySamples(-40);
    EXPECT_EQ(stage.depth().targetValue(), 1.0f);
}

TEST(ChorusStage, FreshStageFadesInFromADryFirstSample) {
    ChorusStage stage(rate44k);
    std::vector<float> in(4, 1.0f), out(4);
    stage.processMono(in.data(), out.data(), 4);
    // Wet level has taken one step to 0.01 and the tap reads the empty line.
    EXPECT_FLOAT_EQ(out[0], 0.9965f);
    EXPECT_FLOAT_EQ(stage.wet().value(), 0.04f);
}

TEST(ChorusStage, AtZeroDepthTheTapIsTheSampleOneFrameOld) {
    ChorusStage stage(rate44k);
    std::vector<float> in = {1.0f, 0.0f, 0.0f, 0.0f}, out(4);
    stage.processMono(in.data(), out.data(), 4);
    // Frame 1: depth 0.02 rounds to 0, so the delay is exactly one frame; wet level 0.02.
    EXPECT_FLOAT_EQ(out[1], static_cast<float>((1.0 - 0.35 * 0.02f) * 0.02f));
    EXPECT_NEAR(out[2], 0.0f, 1e-6f);
}

TEST(ChorusStage, ImpulseComesBackAtTheSweptDelay) {
    // Sine at 0.001 Hz barely moves: m is about 0, so the delay is 0.5 * 88 + 1 = 45 samples.
    ChorusStage stage(rate44k);
    stage.setShape(chorus::shapeSine);
    stage.setRate(0.0f);
    stage.setDelayMs(2.0f);
    settle(stage);
    std::vector<float> in(100, 0.0f), out(100);
    in[0] = 1.0f;
    stage.processMono(in.data(), out.data(), 100);
    int peak = 1;
    for (int i = 1; i < 100; ++i) {
        if (std::fabs(out[static_cast<std::size_t>(i)]) > std::fabs(out[static_cast<std::size_t>(peak)])) {
            peak = i;
        }
    }
    EXPECT_EQ(peak, 45);
    // At full wet level the echo, 0.65 of the impulse, is split between the two neighbouring taps.
    EXPECT_NEAR(out[45] + out[46], 0.65f, 1e-4f);
    EXPECT_LT(std::fabs(out[44]) + std::fabs(out[47]), 1e-6f);
}

TEST(ChorusStage, InPlaceProcessingEqualsSeparateBuffers) {
    ChorusStage a(rate44k), b(rate44k);
    for (ChorusStage* s : {&a, &b}) {
        s->setShape(2);
        s->setRate(3.0f);
        s->setDelayMs(4.0f);
    }
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> left(3000), right(3000);
    for (std::size_t i = 0; i < left.size(); ++i) {
        left[i] = noise(rng);
        right[i] = noise(rng);
    }
    std::vector<float> outL(3000), outR(3000);
    const float* ins[2] = {left.data(), right.data()};
    float* outs[2] = {outL.data(), outR.data()};
    a.processStereo(ins, outs, 3000);
    float* inPlace[2] = {left.data(), right.data()};
    b.processStereo(inPlace, inPlace, 3000);
    EXPECT_EQ(outL, left);
    EXPECT_EQ(outR, right);
}

TEST(ChorusStage, MonoToStereoReadsTwoTapsAQuarterCycleApart) {
    ChorusStage stage(rate44k);
    stage.setShape(chorus::shapeSine);
    stage.setRate(5.0f);
    stage.setDelayMs(4.0f);
    std::vector<float> in(20000), l(20000), r(20000);
    for (std::size_t i = 0; i < in.size(); ++i) {
        in[i] = static_cast<float>(std::sin(0.05 * static_cast<double>(i)));
    }
    float* outs[2] = {l.data(), r.data()};
    // The depth ramp steps twice per frame: 0 -> 176 samples takes 8800 frames, not 17600.
    stage.processMonoToStereo(in.data(), outs, 8800);
    EXPECT_NEAR(stage.depth().value(), 176.0f, 0.5f);
    float* rest[2] = {l.data() + 8800, r.data() + 8800};
    stage.processMonoToStereo(in.data() + 8800, rest, 20000 - 8800);
    double difference = 0.0;
    for (std::size_t i = 10000; i < in.size(); ++i) {
        difference += std::fabs(l[i] - r[i]);
    }
    EXPECT_GT(difference / 10000.0, 0.05);
}

TEST(ChorusStage, WaveformsHitTheirCorners) {
    ChorusStage stage(rate44k);
    const auto at = [](double c) { return static_cast<float>(c * twoPi); };
    stage.setShape(chorus::shapeRamp);
    EXPECT_NEAR(stage.waveA(at(0.0)), -1.0f, 1e-5f);
    EXPECT_NEAR(stage.waveA(at(0.5)), 2.0f * 0.5f / 0.95f - 1.0f, 1e-5f);
    EXPECT_NEAR(stage.waveA(at(0.95)), 1.0f, 1e-4f);
    EXPECT_NEAR(stage.waveA(at(0.975)), 0.0f, 1e-4f);
    stage.setShape(chorus::shapeTrapezoid);
    EXPECT_NEAR(stage.waveA(at(0.025)), 0.5f, 1e-4f);
    EXPECT_EQ(stage.waveA(at(0.3)), 1.0f);
    EXPECT_NEAR(stage.waveA(at(0.5)), 0.0f, 1e-4f);
    EXPECT_EQ(stage.waveA(at(0.7)), -1.0f);
    EXPECT_NEAR(stage.waveA(at(0.975)), -0.5f, 1e-4f);
    EXPECT_EQ(stage.waveB(at(0.05)), 1.0f); // a quarter cycle later: 0.3
    stage.setShape(chorus::shapeSine);
    EXPECT_EQ(stage.waveA(0.0f), 0.0f);
    EXPECT_EQ(stage.waveB(0.0f), 1.0f);
}

TEST(ChorusStage, ShapeOutsideTheThreeWaveformsIsClamped) {
    ChorusStage stage(rate44k);
    stage.setShape(7);
    EXPECT_EQ(stage.getShape(), 2);
    stage.setShape(-1);
    EXPECT_EQ(stage.getShape(), 0);
}

TEST(ChorusStage, RateZeroRunsAtOneThousandthHertz) {
    ChorusStage stage(rate44k);
    stage.setRate(0.0f);
    const float expected = 2.0f * 3.1415927f * static_cast<float>(1.0 / 44100) * 0.001f;
    EXPECT_EQ(stage.getPhaseIncrement(), expected);
    stage.setRate(-5.0f);
    EXPECT_EQ(stage.getPhaseIncrement(), expected);
}

TEST(ChorusStage, RateChangeKeepsTheWaveformWhereItIs) {
    ChorusStage stage(rate44k);
    stage.setRate(2.0f);
    std::vector<float> buffer(12345, 0.0f);
    stage.processMono(buffer.data(), buffer.data(), 12345);
    for (float hertz : {3.7f, 0.2f, 5.0f, 0.0f, 1.0f}) {
        const double before = stage.currentPhase();
        stage.setRate(hertz);
        const double after = stage.currentPhase();
        const double moved = std::min(forwardDistance(before, after), forwardDistance(after, before));
        EXPECT_LE(moved, static_cast<double>(stage.getPhaseIncrement()) + 1e-6) << hertz;
    }
}

TEST(ChorusStage, SweepStaysSmoothAfterADayAt192kHz) {
    ChorusStage stage(192000.0f);
    stage.setShape(chorus::shapeSine);
    stage.setRate(5.0f);
    stage.setDelayMs(5.0f);
    settle(stage, 60000);
    const std::uint64_t oneDay = 24ull * 3600ull * 192000ull;
    stage.setFrameCounter(oneDay);
    const double increment = stage.getPhaseIncrement();
    std::vector<float> buffer(1, 0.0f);
    double previous = stage.currentPhase();
    for (int i = 0; i < 5000; ++i) {
        stage.processMono(buffer.data(), buffer.data(), 1);
        const double now = stage.currentPhase();
        // Every frame advances the phase by one increment, to float resolution of a phase below 2 pi.
        ASSERT_NEAR(forwardDistance(previous, now), increment, 1e-6) << "frame " << i;
        previous = now;
    }
    EXPECT_EQ(stage.getFrameCounter(), oneDay + 5000);
    // A rate change this late keeps the phase too.
    const double before = stage.currentPhase();
    stage.setRate(0.5f);
    EXPECT_LE(std::min(forwardDistance(before, stage.currentPhase()),
                       forwardDistance(stage.currentPhase(), before)),
              static_cast<double>(stage.getPhaseIncrement()) + 1e-5);
}

TEST(ChorusStage, UnusableSampleRatesStayInsideTheLine) {
    const float rates[] = {0.0f,
                           -44100.0f,
                           1000.0f,
                           8199.0f,
                           std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity(),
                           -std::numeric_limits<float>::infinity()};
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (float rate : rates) {
        ChorusStage stage(rate);
        EXPECT_GE(stage.getLineLength(), 41) << rate;
        stage.setDelayMs(1.0e6f);
        stage.setRate(1.0e6f);
        stage.setShape(chorus::shapeRamp);
        std::vector<float> l(5000), r(5000);
        for (std::size_t i = 0; i < l.size(); ++i) {
            l[i] = noise(rng);
            r[i] = noise(rng);
        }
        float* buffers[2] = {l.data(), r.data()};
        stage.processStereo(buffers, buffers, 5000);
        stage.processMonoToStereo(l.data(), buffers, 5000);
        stage.processMono(l.data(), l.data(), 5000);
        for (float v : l) {
            ASSERT_TRUE(std::isfinite(v)) << rate;
        }
    }
}

// The sine waveform is a polynomial that must round to the library's float sin and cos. The full proof is
// the sine-cosine-check program over every float phase; this samples every 4099th of them for each kernel.
TEST(ChorusStage, SineWaveformRoundsLikeTheLibraryOnSampledPhases) {
    for (chorus::KernelIsa isa :
         {chorus::KernelIsa::sse2, chorus::KernelIsa::avx2, chorus::KernelIsa::avx512}) {
        if (chorus::StageKernel::supported(isa)) {
            EXPECT_EQ(countSineCosineMismatches(isa, 4099, stdout), 0u) << static_cast<int>(isa);
        }
    }
}
