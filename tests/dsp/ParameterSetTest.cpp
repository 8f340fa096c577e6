#include "dsp/ChorusParameterSet.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

using namespace chorus;

TEST(ChorusParameterSet, StartsWithEveryParameterMarkedAtTheFactoryValues) {
    ChorusParameterSet set;
    EXPECT_EQ(set.getCount(), 5);
    EXPECT_EQ(set.getChangedCount(), 5);
    const float expected[] = {50.0f, 2.0f, 2.0f, 1.0f, 1.0f};
    const float normalized[] = {0.5f, 0.4f, 0.4f, 0.0f, 0.5f};
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(set.isChanged(i));
        EXPECT_EQ(set.getRealValue(i), expected[i]);
        EXPECT_FLOAT_EQ(set.getNormalizedValue(i), normalized[i]);
    }
    EXPECT_STREQ(set.getRecord(paramFreq)->name, "Freq");
    EXPECT_STREQ(set.getRecord(paramFreq)->unit, "Hz");
    EXPECT_STREQ(set.getRecord(paramStages)->unit, "");
    EXPECT_EQ(set.getStepCount(paramFreq), 500.0f);
    EXPECT_EQ(set.getStepCount(paramStages), 3.0f);
    EXPECT_TRUE(set.isResetPending());
    EXPECT_EQ(set.getApplyHold(), 0);
}

TEST(ChorusParameterSet, NormalisedValuesAreQuantisedToTheStep) {
    ChorusParameterSet set;
    set.setNormalizedValue(paramStages, 0.5f);
    EXPECT_EQ(set.getRealValue(paramStages), 3.0f);
    EXPECT_NEAR(set.getNormalizedValue(paramStages), 2.0f / 3.0f, 1e-6f);
    set.setNormalizedValue(paramFreq, 0.4f);
    EXPECT_FLOAT_EQ(set.getRealValue(paramFreq), 2.0f);
    set.setNormalizedValue(paramFreq, 0.0013f);
    EXPECT_FLOAT_EQ(set.getRealValue(paramFreq), 0.01f);
    set.setNormalizedValue(paramFreq, 0.0009f);
    EXPECT_EQ(set.getRealValue(paramFreq), 0.0f);
    set.setNormalizedValue(paramMix, 0.51f);
    EXPECT_EQ(set.getRealValue(paramMix), 51.0f);
    EXPECT_FLOAT_EQ(set.getNormalizedValue(paramMix), 0.51f);
}

TEST(ChorusParameterSet, StepBoundariesGoToTheUpperValue) {
    ChorusParameterSet set;
    const auto stages = [&](float n) { return set.toReal(paramStages, n); };
    EXPECT_EQ(stages(0.0f), 1.0f);
    EXPECT_EQ(stages(0.16f), 1.0f);
    EXPECT_EQ(stages(1.0f / 6.0f), 2.0f);
    EXPECT_EQ(stages(0.49f), 2.0f);
    EXPECT_EQ(stages(0.5f), 3.0f);
    EXPECT_EQ(stages(0.833f), 3.0f);
    EXPECT_EQ(stages(0.834f), 4.0f);
    EXPECT_EQ(stages(1.0f), 4.0f);
    const auto shape = [&](float n) { return set.toReal(paramShape, n); };
    EXPECT_EQ(shape(0.24f), 0.0f);
    EXPECT_EQ(shape(0.25f), 1.0f);
    EXPECT_EQ(shape(0.74f), 1.0f);
    EXPECT_EQ(shape(0.75f), 2.0f);
    // No clamping: out-of-range normalised values give out-of-range values.
    EXPECT_EQ(stages(2.0f), 7.0f);
}

TEST(ChorusParameterSet, TakesClearMarksAndCountsNeverGoNegative) {
    ChorusParameterSet set;
    EXPECT_EQ(set.takeRealValue(paramMix), 50.0f);
    EXPECT_FALSE(set.isChanged(paramMix));
    EXPECT_EQ(set.getChangedCount(), 4);
    set.takeRealValue(paramMix);
    EXPECT_EQ(set.getChangedCount(), 4);
    set.markChanged(paramFreq); // already marked
    EXPECT_EQ(set.getChangedCount(), 4);
    set.clearAllChanged();
    EXPECT_EQ(set.getChangedCount(), 0);
    set.clearChanged(paramMix);
    EXPECT_EQ(set.getChangedCount(), 0);
    set.setRealValue(paramDelay, 3.0f);
    EXPECT_EQ(set.getChangedCount(), 1);
    EXPECT_NEAR(set.takeNormalizedValue(paramDelay), 0.6f, 1e-6f);
    EXPECT_EQ(set.getChangedCount(), 0);
    set.markAllChanged();
    EXPECT_EQ(set.getChangedCount(), 5);
}

TEST(ChorusParameterSet, IndicesOutsideTheTableDoNothing) {
    ChorusParameterSet set;
    for (int index : {5, -1, 1000}) {
        set.setRealValue(index, 3.0f);
        set.setNormalizedValue(index, 0.3f);
        set.markChanged(index);
        EXPECT_EQ(set.getRealValue(index), 0.0f);
        EXPECT_EQ(set.takeRealValue(index), 0.0f);
        EXPECT_EQ(set.getNormalizedValue(index), 0.0f);
        EXPECT_FALSE(set.isChanged(index));
        EXPECT_EQ(set.getRecord(index), nullptr);
    }
    EXPECT_EQ(set.getChangedCount(), 5);
}

TEST(ChorusParameterSet, HoldsNeverFallBelowZero) {
    ChorusParameterSet set;
    set.lowerApplyHold();
    EXPECT_EQ(set.getApplyHold(), 0);
    set.raiseApplyHold();
    set.raiseApplyHold();
    set.lowerApplyHold();
    EXPECT_EQ(set.getApplyHold(), 1);
    set.lowerResetHold();
    EXPECT_EQ(set.getResetHold(), 0);
}

TEST(ParameterSet, BlockParametersOwnZeroFilledStorage) {
    ParameterSet set(2);
    set.defineParameter(0, 0.0f, 0.0f, 1.0f, 0.0f, "", "Table", true, 16);
    set.defineParameter(1, 0.5f, 0.0f, 1.0f, 0.0f, "", "Plain", false, 4);
    EXPECT_TRUE(set.hasBlockStorage(0));
    EXPECT_FALSE(set.hasBlockStorage(1));
    EXPECT_EQ(set.getStorageSize(0), 16);
    unsigned char out[16];
    std::memset(out, 0xAB, sizeof out);
    EXPECT_EQ(set.readBlock(0, out, 0, 0), 16);
    for (unsigned char b : out) {
        EXPECT_EQ(b, 0);
    }
    set.clearAllChanged();
    const unsigned char data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    set.writeBlock(0, data, 4, 12);
    EXPECT_TRUE(set.isChanged(0));
    EXPECT_EQ(set.readBlock(0, out, 4, 12), 4);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[3], 4);
    // A range reaching past the block is cut at its end; one starting past it copies nothing.
    set.writeBlock(0, data, 8, 12);
    EXPECT_EQ(set.readBlock(0, out, 8, 12), 4);
    EXPECT_EQ(set.readBlock(0, out, 4, 16), 0);
    EXPECT_EQ(set.readBlock(1, out, 4, 0), 0);
    set.takeBlock(0, out, 0, 0);
    EXPECT_FALSE(set.isChanged(0));
    // The untracked parameter neither marks nor counts.
    set.setRealValue(1, 0.7f);
    EXPECT_FALSE(set.isChanged(1));
    EXPECT_EQ(set.getChangedCount(), 0);
}

TEST(ParameterSet, LongTextsAreCutTo63Characters) {
    ParameterSet set(1);
    const std::string longName(100, 'n');
    set.defineParameter(0, 0.0f, 0.0f, 1.0f, 0.0f, longName.c_str(), longName.c_str(), true, 4);
    EXPECT_EQ(std::strlen(set.getRecord(0)->name), 63u);
    EXPECT_EQ(std::strlen(set.getRecord(0)->unit), 63u);
}

TEST(ParameterSet, ContinuousParametersScaleLinearly) {
    ParameterSet set(1);
    set.defineParameter(0, 0.0f, -2.0f, 2.0f, 0.0f, "dB", "Gain", true, 4);
    EXPECT_EQ(set.toReal(0, 0.25f), -1.0f);
    EXPECT_EQ(set.toNormalized(0, 1.0f), 0.75f);
    set.defineParameter(0, 1.0f, 1.0f, 1.0f, 0.0f, "", "Fixed", true, 4); // a range of zero width
    EXPECT_EQ(set.getNormalizedValue(0), 0.0f);
}
