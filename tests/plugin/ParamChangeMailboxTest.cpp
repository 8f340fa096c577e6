// What the editor's window thread is shown of changes posted from other threads.
#include "plugin/ParamChangeMailbox.h"

#include "dsp/ChorusParameterSet.h"

#include <gtest/gtest.h>
#include <map>

using namespace chorus;

namespace {

std::map<int, float> shown(ParamChangeMailbox& mailbox, const ParameterSet& set) {
    std::map<int, float> values;
    mailbox.take(set, [&](int index, float value) { values[index] = value; });
    return values;
}

} // namespace

// Two threads set Mix: the audio thread's 0.3 is posted, then the host's 0.7 lands in the set (its post still
// on the way). The posted value is shown only while the set holds it, so the editor never shows a value the
// set has already left.
TEST(ParamChangeMailbox, APostedValueTheSetNoLongerHoldsGivesWayToTheSets) {
    ChorusParameterSet set;
    ParamChangeMailbox mailbox(chorusParamCount);
    set.setNormalizedValue(paramMix, 0.3f);
    mailbox.post(paramMix, 0.3f);
    EXPECT_EQ(shown(mailbox, set), (std::map<int, float>{{paramMix, 0.3f}}));

    mailbox.post(paramMix, 0.3f);
    set.setNormalizedValue(paramMix, 0.7f);
    EXPECT_EQ(shown(mailbox, set), (std::map<int, float>{{paramMix, 0.7f}}));
    EXPECT_TRUE(shown(mailbox, set).empty()) << "each post is shown once";
}

// After a program change every parameter is shown, from the set.
TEST(ParamChangeMailbox, AProgramChangeShowsEveryParameter) {
    ChorusParameterSet set;
    ParamChangeMailbox mailbox(chorusParamCount);
    set.setNormalizedValue(paramDelay, 0.25f);
    mailbox.postProgramChange();
    const auto values = shown(mailbox, set);
    ASSERT_EQ(values.size(), static_cast<std::size_t>(chorusParamCount));
    EXPECT_EQ(values.at(paramDelay), 0.25f);
}
