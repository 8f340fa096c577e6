#include "dsp/LinearRamp.h"

#include <gtest/gtest.h>
#include <limits>

using chorus::LinearRamp;

TEST(LinearRamp, ReachesTargetAfterWholeStepsAndStays) {
    LinearRamp ramp(0.01f);
    ramp.setTarget(0.5f);
    float value = 0.0f;
    for (int i = 0; i < 50; ++i) {
        value = ramp.next();
    }
    EXPECT_NEAR(value, 0.5f, 1e-6f);
    EXPECT_EQ(ramp.next(), value);
    EXPECT_EQ(ramp.next(), value);
}

TEST(LinearRamp, StopsShortOfATargetBetweenSteps) {
    LinearRamp ramp(0.01f);
    ramp.setTarget(0.255f); // 25 whole steps
    for (int i = 0; i < 100; ++i) {
        ramp.next();
    }
    EXPECT_NEAR(ramp.value(), 0.25f, 1e-6f);
    EXPECT_LT(ramp.targetValue() - ramp.value(), 0.01f);
}

TEST(LinearRamp, FallsTowardALowerTarget) {
    LinearRamp ramp(0.01f);
    ramp.reset(1.0f);
    ramp.setTarget(0.9f);
    EXPECT_FLOAT_EQ(ramp.next(), 0.99f);
    EXPECT_FLOAT_EQ(ramp.startValue(), 1.0f);
}

TEST(LinearRamp, ANewTargetStartsWhereTheRampStands) {
    LinearRamp ramp(0.01f);
    ramp.setTarget(1.0f);
    for (int i = 0; i < 30; ++i) {
        ramp.next();
    }
    const float here = ramp.value();
    ramp.setTarget(0.0f);
    EXPECT_EQ(ramp.startValue(), here);
    EXPECT_EQ(ramp.stepsRemaining(), static_cast<int>(here / 0.01f));
    EXPECT_FLOAT_EQ(ramp.next(), here - 0.01f);
}

TEST(LinearRamp, TargetAtTheCurrentValueTakesNoSteps) {
    LinearRamp ramp(0.01f);
    ramp.reset(0.3f);
    ramp.setTarget(0.3f);
    EXPECT_EQ(ramp.stepsRemaining(), 0);
    EXPECT_EQ(ramp.next(), 0.3f);
}

TEST(LinearRamp, AdvanceMovesOnlyTheStepsLeft) {
    LinearRamp ramp(0.25f);
    ramp.setTarget(1.0f); // 4 steps
    EXPECT_FLOAT_EQ(ramp.advance(2), 0.5f);
    EXPECT_FLOAT_EQ(ramp.advance(10), 1.0f);
    EXPECT_FLOAT_EQ(ramp.advance(10), 1.0f);
}

TEST(LinearRamp, NonPositiveStepSizeBecomesEpsilon) {
    LinearRamp ramp(0.01f);
    ramp.setStepSize(0.0f);
    EXPECT_EQ(ramp.step(), 1.1920929e-7f);
    ramp.setStepSize(-3.0f);
    EXPECT_EQ(ramp.step(), std::numeric_limits<float>::epsilon());
}

TEST(LinearRamp, HugeAndNonFiniteTargetsStayDefined) {
    LinearRamp ramp(0.01f);
    ramp.setTarget(1.0e30f);
    EXPECT_EQ(ramp.stepsRemaining(), std::numeric_limits<int>::max());
    ramp.reset(0.0f);
    ramp.setTarget(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(ramp.stepsRemaining(), 0);
}
