#include "gui/core/GuiXYPad.h"

#include "gui/core/GuiControlListener.h"
#include "gui/core/GuiDrawContext.h"
#include "gui/core/GuiFrame.h"
#include "gui/core/GuiWindowDC.h"
#include "tests/gui/PixelProbe.h"
#include "tests/gui/ScriptedPlatform.h"
#include "tests/gui/TestHost.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>

namespace chorus {
namespace {

using Step = test::ScriptedPlatform::Step;
using Strings = std::vector<std::string>;

constexpr int hostX = 60;
constexpr int hostY = 80;
constexpr std::uint32_t left = GuiPlatform::physicalLeft;
constexpr std::uint32_t shift = GuiPlatform::physicalShift;
constexpr std::uint32_t alt = GuiPlatform::physicalAlt;
constexpr std::uint32_t ctrl = GuiPlatform::physicalControl;
constexpr GuiRect padBounds{20, 20, 120, 80}; // 100 x 60
constexpr GuiPoint pressPoint{30, 50};

struct Change {
    float x, y;
};

class RecordingListener final : public GuiControlListener {
public:
    void controlChanged(GuiDrawContext&, GuiControl* control) override {
        auto* pad = static_cast<GuiXYPad*>(control);
        changes.push_back({pad->getValueX(), pad->getValueY()});
    }
    std::vector<Change> changes;
};

class GuiXYPadTest : public ::testing::Test {
protected:
    void SetUp() override {
        pad = new GuiXYPad(padBounds, &listener, 9, nullptr, padShowCurveA | padShowCurveB | padBaseline);
        pad->setTags(1, 2);
        frame->addChild(pad);
    }

    // A drag through the frame's window: each step's position is relative to the window; the buttons are held
    // with the given modifiers on every step, then released.
    void drag(const std::vector<GuiPoint>& path, std::vector<std::uint32_t> modifiers = {}) {
        std::vector<Step> steps;
        for (std::size_t i = 0; i < path.size(); ++i) {
            const std::uint32_t extra = i < modifiers.size() ? modifiers[i] : 0;
            steps.push_back({left | extra, {hostX + path[i].h, hostY + path[i].v}});
        }
        steps.push_back({0, steps.back().cursor});
        platform.script(steps);
        SendMessageA(frame->getWindow(), WM_LBUTTONDOWN, 0, MAKELPARAM(path.front().h, path.front().v));
    }
    static GuiPoint at(int dx, int dy) { return {pressPoint.h + dx, pressPoint.v + dy}; }
    Strings gestures() const { return fixture.gestures(); }

    test::ScriptedPlatform platform;
    test::HostWindow host{hostX, hostY};
    RecordingListener listener; // outlives the pad
    test::FrameFixture fixture{host.get(), {0, 0, 200, 150}};
    test::RecordingEffect* effect = &fixture.effect;
    GuiFrame* frame = fixture.frame;
    GuiXYPad* pad = nullptr;
};

TEST_F(GuiXYPadTest, FullWidthDragReachesOneAndFineModeAThird) {
    drag({at(0, 0), at(50, 0), at(100, 0)});
    EXPECT_FLOAT_EQ(pad->getValueX(), 1.0f);
    EXPECT_FLOAT_EQ(pad->getValueY(), 0.0f);
    ASSERT_EQ(listener.changes.size(), 2u); // the first pass changes nothing
    EXPECT_FLOAT_EQ(listener.changes[0].x, 0.5f);

    pad->setValueX(0.0f);
    drag({at(0, 0), at(100, 0)}, {shift, shift});
    EXPECT_NEAR(pad->getValueX(), 1.0f / 3.0f, 1e-6);

    // Values stay within [0, 1] however far the drag goes.
    pad->setValueX(0.5f);
    drag({at(0, 0), at(400, -400)});
    EXPECT_FLOAT_EQ(pad->getValueX(), 1.0f);
    EXPECT_FLOAT_EQ(pad->getValueY(), 1.0f);

    // Upward raises the vertical value: 30 of 60 pixels.
    pad->setValueX(0.0f);
    pad->setValueY(0.0f);
    drag({at(0, 0), at(0, -30)});
    EXPECT_FLOAT_EQ(pad->getValueY(), 0.5f);
    EXPECT_FLOAT_EQ(pad->getValueX(), 0.0f);
}

TEST_F(GuiXYPadTest, AltHoldsHorizontalAndCtrlHoldsVertical) {
    drag({at(0, 0), at(50, -30)}, {alt, alt});
    EXPECT_FLOAT_EQ(pad->getValueX(), 0.0f);
    EXPECT_FLOAT_EQ(pad->getValueY(), 0.5f);

    pad->setValueY(0.0f);
    drag({at(0, 0), at(50, -30)}, {ctrl, ctrl});
    EXPECT_FLOAT_EQ(pad->getValueX(), 0.5f);
    EXPECT_FLOAT_EQ(pad->getValueY(), 0.0f);

    pad->setValueX(0.0f);
    listener.changes.clear();
    drag({at(0, 0), at(50, -30), at(70, -10)}, {alt | ctrl, alt | ctrl, alt | ctrl});
    EXPECT_FLOAT_EQ(pad->getValueX(), 0.0f);
    EXPECT_FLOAT_EQ(pad->getValueY(), 0.0f);
    EXPECT_TRUE(listener.changes.empty());
}

TEST_F(GuiXYPadTest, ListenerHearsOnlyPassesThatChangedSomething) {
    drag({at(0, 0), at(10, 0), at(10, 0), at(0, 0), at(0, 0)});
    ASSERT_EQ(listener.changes.size(), 2u);
    EXPECT_FLOAT_EQ(listener.changes[0].x, 0.1f);
    EXPECT_FLOAT_EQ(listener.changes[1].x, 0.0f);
}

TEST_F(GuiXYPadTest, FineModeMidDragRescalesFromThePressPoint) {
    drag({at(0, 0), at(50, 0), at(50, 0)}, {0, 0, shift});
    ASSERT_EQ(listener.changes.size(), 2u);
    EXPECT_FLOAT_EQ(listener.changes[0].x, 0.5f);
    EXPECT_NEAR(listener.changes[1].x, 0.5f / 3.0f, 1e-6);
}

TEST_F(GuiXYPadTest, DragIsOneGestureOnBothTags) {
    drag({at(0, 0), at(10, 0)});
    EXPECT_EQ(gestures(), (Strings{"b1", "b2", "e1", "e2"}));
    // Every pass asked for idle: the first one at the deadline gave the host an idle call.
    EXPECT_GE(effect->calls(3).size(), 1u);

    effect->clearCalls();
    pad->setTags(-1, -1);
    drag({at(0, 0), at(20, 0)});
    EXPECT_TRUE(gestures().empty());
    EXPECT_FLOAT_EQ(pad->getValueX(), 0.3f); // the drag itself still works

    effect->clearCalls();
    pad->setTags(4, -1);
    drag({at(0, 0)});
    EXPECT_EQ(gestures(), (Strings{"b4", "e4"}));
}

TEST_F(GuiXYPadTest, PressWithoutPrimaryButtonOrMouseDoesNothing) {
    platform.script({{GuiPlatform::physicalRight, {hostX + 30, hostY + 50}}, {0, {hostX + 90, hostY + 50}}});
    SendMessageA(frame->getWindow(), WM_RBUTTONDOWN, 0, MAKELPARAM(30, 50));
    EXPECT_EQ(platform.inputReads(), 1);
    EXPECT_TRUE(gestures().empty());

    pad->setAcceptsMouse(false);
    GuiWindowDC windowDC(frame->getWindow());
    GuiDrawContext context(frame, windowDC.get(), frame->getWindow());
    platform.script({{left, {hostX + 30, hostY + 50}}, {0, {hostX + 90, hostY + 50}}});
    pad->onMouseDown(context, pressPoint);
    EXPECT_FLOAT_EQ(pad->getValueX(), 0.0f);
    EXPECT_TRUE(gestures().empty());
}

TEST_F(GuiXYPadTest, CurvesAreScaledIntoThePadAndEndOnTheBaseline) {
    GuiXYPad* tall = new GuiXYPad({0, 0, 147, 85}, nullptr, -1, nullptr, padShowCurveA);
    EXPECT_EQ(tall->getCurveOrigin(), (GuiPoint{0, 42}));
    EXPECT_EQ(tall->getPointCount(), 147);
    EXPECT_EQ(tall->getCurvePoint(0, 5), 42.0f); // unset curves lie on the bottom edge
    const std::vector<float> ones(147, 1.0f);
    tall->setCurve(0, ones.data(), 147);
    EXPECT_EQ(tall->getCurvePoint(0, 0), -41.0f);
    EXPECT_EQ(tall->getCurvePoint(0, 145), -41.0f);
    EXPECT_EQ(tall->getCurvePoint(0, 146), 0.0f);
    EXPECT_EQ(tall->getCurvePoint(1, 0), 42.0f); // curve B untouched

    // More values than points: only the points are written.
    const std::vector<float> longer(400, -0.5f);
    tall->setCurve(1, longer.data(), 400);
    EXPECT_EQ(tall->getCurvePoint(1, 0), 20.5f);
    EXPECT_EQ(tall->getCurvePoint(1, 146), 0.0f);
    EXPECT_EQ(tall->getCurvePoint(0, 0), -41.0f);
    tall->setCurve(1, longer.data(), -3); // nothing but the pinned end
    tall->release();
}

TEST_F(GuiXYPadTest, PadWithoutAreaKeepsItsValues) {
    GuiXYPad* flat = new GuiXYPad({150, 100, 150, 100}, &listener, -1, nullptr, padShowCurveA);
    frame->addChild(flat);
    platform.script({{left, {hostX + 150, hostY + 100}}, {left, {hostX + 190, hostY + 60}}, {0, {0, 0}}});
    SendMessageA(frame->getWindow(), WM_LBUTTONDOWN, 0, MAKELPARAM(150, 100));
    EXPECT_EQ(flat->getValueX(), 0.0f); // no division by a zero size
    EXPECT_EQ(flat->getValueY(), 0.0f);
    EXPECT_TRUE(listener.changes.empty());
    flat->setCurve(0, nullptr, 5);
    frame->redrawChild(flat);
}

TEST_F(GuiXYPadTest, RedrawMarksFollowCurveChanges) {
    pad->setNeedsRedraw(false);
    pad->setCurveScale(1.0f);
    EXPECT_FALSE(pad->needsRedraw());
    pad->setCurveScale(2.0f);
    EXPECT_TRUE(pad->needsRedraw());
    pad->setNeedsRedraw(false);
    pad->setCurveColor(1, colorGreen);
    EXPECT_TRUE(pad->needsRedraw());
    pad->setNeedsRedraw(false);
    pad->setValueX(0.4f); // values alone do not mark the pad
    EXPECT_FALSE(pad->needsRedraw());
}

TEST_F(GuiXYPadTest, PaintDrawsBaselineAndPinnedCurvesOnTheWindow) {
    const std::vector<float> up(100, 0.5f);
    const std::vector<float> down(100, -0.5f);
    pad->setCurve(0, up.data(), 100);   // 14 pixels above the middle row (k = 29)
    pad->setCurve(1, down.data(), 100); // 15 below (rounded half up)
    pad->setCurveColor(0, colorYellow);
    UpdateWindow(frame->getWindow());
    frame->redrawChild(pad);

    GuiWindowDC windowDC(frame->getWindow());
    const auto px = [&](int x, int y) {
        return test::pixelAt(windowDC.get(), padBounds.left + x, padBounds.top + y);
    };
    const int mid = 30;
    const GuiColor colorB{180, 0, 0, 0};
    EXPECT_EQ(px(50, mid), colorB);           // baseline
    EXPECT_EQ(px(50, mid - 14), colorYellow); // curve A
    EXPECT_EQ(px(50, mid + 15), colorB);      // curve B
    EXPECT_EQ(px(50, 3), colorBlack);         // the pad's own black backdrop
    EXPECT_EQ(px(0, mid), colorYellow);       // curve A starts on the baseline, drawn last
    EXPECT_EQ(px(0, mid - 7), colorYellow);
    // The last segment returns to the middle row.
    int lastColumnA = 0;
    for (int y = mid - 14; y < mid; ++y) {
        lastColumnA += px(99, y) == colorYellow ? 1 : 0;
    }
    EXPECT_GT(lastColumnA, 0);
    EXPECT_EQ(px(100, mid), test::pixelAt(windowDC.get(), 200 - 1, 149)); // nothing right of the pad
}

} // namespace
} // namespace chorus
