// Undo and redo of what an editor does, against the module itself: the plug-in's own values must come back.
#include "host/session/EditHistory.h"

#include "host/session/HostedPlugin.h"
#include "host/session/ModuleLoader.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace chorus::host {
namespace {

constexpr int freq = 1;
constexpr int delay = 2;

class EditHistoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(loader.load(CHORUS_MODULE_FILE, error)) << error;
        ASSERT_TRUE(plugin.create(loader.entry(), error)) << error;
        plugin.dispatch(opOpen);
        history = std::make_unique<EditHistory>(plugin);
        plugin.setListener(history.get());
    }
    void TearDown() override {
        plugin.setListener(nullptr);
        plugin.close();
    }

    // What an editor does for one change: sets the parameter, then tells the host.
    void edit(int index, float value) {
        plugin.setParameter(index, value);
        history->hostRequest(hostOpAutomate, index, value);
    }
    void drag(std::initializer_list<int> indexes, std::initializer_list<float> values) {
        for (int index : indexes) {
            history->hostRequest(hostOpBeginGesture, index, 0.0f);
        }
        for (float value : values) {
            for (int index : indexes) {
                edit(index, value);
            }
        }
        for (int index : indexes) {
            history->hostRequest(hostOpEndGesture, index, 0.0f);
        }
    }

    ModuleLoader loader;
    HostedPlugin plugin;
    std::unique_ptr<EditHistory> history;
};

TEST_F(EditHistoryTest, AGestureIsOneStepAndEditsOutsideOneAreStepsOfTheirOwn) {
    using State = std::pair<float, float>; // Freq and Delay as the plug-in holds them
    const auto state = [this] { return State{plugin.getParameter(freq), plugin.getParameter(delay)}; };
    std::vector<State> states = {state()};
    drag({freq}, {0.1f, 0.2f, 0.3f}); // a knob dragged
    states.push_back(state());
    drag({freq, delay}, {0.6f, 0.7f}); // the pad moves two parameters at once
    states.push_back(state());
    edit(delay, 0.9f); // two wheel clicks
    states.push_back(state());
    edit(delay, 1.0f);
    states.push_back(state());

    for (std::size_t step = states.size() - 1; step > 0; --step) {
        ASSERT_TRUE(history->undo());
        EXPECT_EQ(state(), states[step - 1]) << "undo to step " << step - 1;
    }
    EXPECT_FALSE(history->undo());
    for (std::size_t step = 1; step < states.size(); ++step) {
        ASSERT_TRUE(history->redo());
        EXPECT_EQ(state(), states[step]) << "redo to step " << step;
    }
    EXPECT_FALSE(history->redo());
}

TEST_F(EditHistoryTest, AProgramChangeIsAStepAndANewEditDropsWhatWasUndone) {
    plugin.dispatch(opSelectProgram, 0, 3);
    history->programChanged(0, 3);
    const float programThreeFreq = plugin.getParameter(freq);
    edit(freq, 0.05f);
    ASSERT_TRUE(history->undo());
    EXPECT_EQ(plugin.getParameter(freq), programThreeFreq);
    ASSERT_TRUE(history->undo());
    EXPECT_EQ(plugin.dispatch(opCurrentProgram), 0);
    ASSERT_TRUE(history->redo());
    EXPECT_EQ(plugin.dispatch(opCurrentProgram), 3);
    edit(freq, 0.25f);
    EXPECT_FALSE(history->redo()) << "a new edit keeps nothing to redo";
    ASSERT_TRUE(history->undo());
    EXPECT_EQ(plugin.getParameter(freq), programThreeFreq);
}

} // namespace
} // namespace chorus::host
