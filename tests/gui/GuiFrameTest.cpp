#include "gui/core/GuiFrame.h"

#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiGdiCounter.h"
#include "gui/core/GuiMemoryDC.h"
#include "gui/core/GuiModule.h"
#include "gui/core/GuiNativeEditOwner.h"
#include "gui/core/GuiWindowClass.h"
#include "gui/core/GuiWindowDC.h"
#include "gui/core/GuiXYPad.h"
#include "tests/gui/PixelProbe.h"
#include "tests/gui/RecordingView.h"
#include "tests/gui/ScriptedPlatform.h"
#include "tests/gui/TestHost.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>

namespace chorus {
namespace {

using test::HostCall;
using test::RecordingView;
using Events = std::vector<std::string>;

constexpr int hostX = 40;
constexpr int hostY = 40;

LPARAM pointParam(int x, int y) {
    return MAKELPARAM(x, y);
}

// A bitmap whose pixel (x, y) has red x and green y.
GuiBitmap* coordinateBitmap(int width, int height) {
    return test::makeBitmap(width, height, [](int x, int y) {
        return GuiColor{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 0, 0};
    });
}

class GuiFrameTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(frame->getWindow(), nullptr); }

    RecordingView* addView(const std::string& name, const GuiRect& rect, int keyAnswer = -1) {
        auto* view = new RecordingView(name, rect, events, keyAnswer);
        frame->addChild(view);
        return view;
    }
    void press(UINT message, int x, int y) { SendMessageA(frame->getWindow(), message, 0, pointParam(x, y)); }
    void paintNow(const RECT* area = nullptr) {
        InvalidateRect(frame->getWindow(), area, FALSE);
        UpdateWindow(frame->getWindow());
    }

    test::ScriptedPlatform platform;
    test::HostWindow host{hostX, hostY};
    Events events; // outlives the frame: its views log their teardown
    test::FrameFixture fixture{host.get(), {0, 0, 200, 150}};
    test::RecordingEffect* effect = &fixture.effect;
    test::TestEditor* editor = &fixture.editor;
    GuiFrame* frame = fixture.frame;
};

TEST_F(GuiFrameTest, PaintMessagePaintsTouchingChildrenInOrderThenTheModalChild) {
    addView("a", {0, 0, 50, 50});
    addView("b", {40, 40, 100, 100});
    addView("c", {150, 100, 190, 140});
    RecordingView modal("m", {20, 20, 60, 60}, events);
    modal.retain(); // kept by the test: the frame does not release its modal child
    ASSERT_TRUE(frame->setModalChild(&modal));
    events.clear();

    EXPECT_TRUE(frame->isFirstPaintPending());
    paintNow();
    EXPECT_FALSE(frame->isFirstPaintPending());
    EXPECT_EQ(events, (Events{"a.region", "b.region", "c.region", "m.paint"}));

    events.clear();
    const RECT corner{0, 0, 10, 10};
    paintNow(&corner);
    EXPECT_EQ(events, (Events{"a.region"})); // only what touches the damage

    ASSERT_TRUE(frame->setModalChild(nullptr));
}

TEST_F(GuiFrameTest, PaintMessageRestoresTheBackgroundFromTheDamagedPart) {
    GuiBitmap* background = coordinateBitmap(200, 150);
    frame->setBackgroundBitmap(background);
    background->release(); // the frame holds its own reference
    paintNow();
    GuiWindowDC windowDC(frame->getWindow());
    EXPECT_EQ(test::pixelAt(windowDC.get(), 35, 45), (GuiColor{35, 45, 0, 0}));
    EXPECT_EQ(test::pixelAt(windowDC.get(), 199, 149), (GuiColor{199, 149, 0, 0}));

    // Paint over a piece, then let a partial repaint restore exactly that piece.
    {
        GuiDrawContext context(frame, windowDC.get(), frame->getWindow());
        context.setBrushColor(colorBlue);
        context.fillRectInterior({0, 0, 100, 100});
    }
    const RECT damage{30, 40, 60, 70};
    paintNow(&damage);
    EXPECT_EQ(test::pixelAt(windowDC.get(), 30, 40), (GuiColor{30, 40, 0, 0}));
    EXPECT_EQ(test::pixelAt(windowDC.get(), 59, 69), (GuiColor{59, 69, 0, 0}));
    EXPECT_EQ(test::pixelAt(windowDC.get(), 25, 45), colorBlue); // outside the damage: untouched

    // A keyed draw on the window: white lets the window through, other pixels replace it.
    const GuiColor row[] = {colorWhite, colorRed, colorWhite, colorGreen};
    GuiBitmap* keyed = test::makeBitmap(4, 1, [&row](int x, int) { return row[x]; });
    {
        GuiDrawContext context(frame, windowDC.get(), frame->getWindow());
        keyed->blitKeyed(context, {150, 120, 154, 121}, {0, 0});
    }
    EXPECT_EQ(test::pixelAt(windowDC.get(), 150, 120), (GuiColor{150, 120, 0, 0}));
    EXPECT_EQ(test::pixelAt(windowDC.get(), 151, 120), colorRed);
    EXPECT_EQ(test::pixelAt(windowDC.get(), 152, 120), (GuiColor{152, 120, 0, 0}));
    EXPECT_EQ(test::pixelAt(windowDC.get(), 153, 120), colorGreen);
    keyed->release();
}

TEST_F(GuiFrameTest, PressGoesToTheTopmostChildThatTakesTheMouse) {
    RecordingView* a = addView("a", {0, 0, 100, 100});
    RecordingView* b = addView("b", {50, 50, 150, 140});
    events.clear();
    press(WM_LBUTTONDOWN, 60, 70);
    EXPECT_EQ(events, (Events{"b.down"}));
    EXPECT_EQ(b->lastPoint, (GuiPoint{60, 70}));

    events.clear();
    press(WM_RBUTTONDOWN, 100, 100); // edges count as inside
    press(WM_MBUTTONDOWN, 10, 10);
    press(WM_LBUTTONDOWN, 180, 20); // nobody there
    EXPECT_EQ(events, (Events{"b.down", "a.down"}));

    b->setAcceptsMouse(false);
    events.clear();
    press(WM_LBUTTONDOWN, 60, 70);
    EXPECT_EQ(events, (Events{"a.down"}));
    EXPECT_EQ(a->lastPoint, (GuiPoint{60, 70}));
}

TEST_F(GuiFrameTest, ModalChildTakesAllPressesAndIdleRepaints) {
    auto* under = new test::SolidControl({0, 0, 100, 100}, colorRed);
    frame->addChild(under);
    RecordingView modal("m", {120, 20, 180, 80}, events);
    modal.retain();
    RecordingView other("o", {0, 0, 10, 10}, events);
    other.retain();

    ASSERT_TRUE(frame->setModalChild(&modal));
    EXPECT_FALSE(frame->setModalChild(&other));
    EXPECT_EQ(frame->getModalChild(), &modal);
    paintNow();
    events.clear();

    press(WM_LBUTTONDOWN, 50, 50); // outside the modal child: ignored
    press(WM_LBUTTONDOWN, 150, 50);
    EXPECT_EQ(events, (Events{"m.down"}));

    // Idle repaints only the modal child, even though the control below is out of date.
    events.clear();
    under->setValue(0.7f);
    const int paintsBefore = under->paints;
    frame->refreshIdle();
    EXPECT_EQ(under->paints, paintsBefore);
    EXPECT_TRUE(under->needsRedraw());

    events.clear();
    ASSERT_TRUE(frame->setModalChild(nullptr));
    EXPECT_EQ(events, (Events{"m.detached"}));
    frame->refreshIdle();
    EXPECT_EQ(under->paints, paintsBefore + 1);
    EXPECT_FALSE(under->needsRedraw());
}

TEST_F(GuiFrameTest, PressEndsFocusBeforeItIsRouted) {
    RecordingView* field = addView("field", {0, 0, 50, 20});
    addView("knob", {100, 100, 140, 140});
    frame->setFocusChild(field);
    events.clear();
    press(WM_LBUTTONDOWN, 120, 120);
    EXPECT_EQ(events, (Events{"field.focusLost", "knob.down"}));
    EXPECT_EQ(frame->getFocusChild(), nullptr);

    // Giving the focus to its holder again is not a loss.
    frame->setFocusChild(field);
    events.clear();
    frame->setFocusChild(field);
    EXPECT_TRUE(events.empty());
    frame->setFocusChild(nullptr);

    // Handing the focus on tells the previous holder, after the new one is stored.
    RecordingView* second = addView("second", {0, 30, 50, 50});
    frame->setFocusChild(field);
    events.clear();
    frame->setFocusChild(second);
    EXPECT_EQ(events, (Events{"field.focusLost"}));
    EXPECT_EQ(frame->getFocusChild(), second);
}

TEST_F(GuiFrameTest, EditNotificationsBecomeGestureRequestsForLinkedParameters) {
    // Without a link table the tag itself is the parameter.
    frame->notifyEditStart(3);
    frame->notifyEditEnd(3);
    frame->notifyEditStart(-1); // no parameter
    EXPECT_EQ(effect->calls(), (std::vector<HostCall>{{43, 3}, {44, 3}}));

    effect->clearCalls();
    const std::int32_t both[] = {1, 2};
    ASSERT_TRUE(frame->addLinkedChild(new RecordingView("pad", {0, 0, 10, 10}, events), 5, 2, both));
    frame->notifyEditStart(5);
    frame->notifyEditEnd(5);
    frame->notifyEditStart(6);   // in the table, nothing linked
    frame->notifyEditStart(500); // beyond the table
    frame->notifyEditStart(-7);  // negative tags link nothing
    EXPECT_EQ(effect->calls(), (std::vector<HostCall>{{43, 1}, {43, 2}, {44, 1}, {44, 2}}));

    EXPECT_FALSE(frame->linkTag(-3, 2, both));
    effect->clearCalls();
    std::int32_t many[25];
    for (int i = 0; i < 25; ++i) {
        many[i] = 100 + i;
    }
    ASSERT_TRUE(frame->linkTag(40, 25, many)); // counts are limited to 20 links
    frame->notifyEditEnd(40);
    const auto ends = effect->calls(44);
    ASSERT_EQ(ends.size(), 20u);
    EXPECT_EQ(ends.front().index, 100);
    EXPECT_EQ(ends.back().index, 119);

    // Removing all children drops the table: tags are parameters again.
    frame->removeAllChildren(true);
    effect->clearCalls();
    frame->notifyEditStart(5);
    EXPECT_EQ(effect->calls(), (std::vector<HostCall>{{43, 5}}));
}

TEST_F(GuiFrameTest, KeysGoToFocusThenModalThenChildrenFromTheTop) {
    RecordingView* lower = addView("lower", {0, 0, 10, 10}, 1);
    addView("upper", {0, 0, 10, 10});
    KeyRecord key{0, 11, 0};
    events.clear();
    EXPECT_EQ(editor->keyDown(&key), 1);
    EXPECT_EQ(events, (Events{"upper.key", "lower.key"}));

    RecordingView focus("focus", {0, 0, 1, 1}, events, 7);
    focus.retain();
    frame->setFocusChild(&focus);
    events.clear();
    EXPECT_EQ(editor->keyUp(&key), 7);
    EXPECT_EQ(events, (Events{"focus.keyUp"}));
    frame->setFocusChild(nullptr);

    frame->removeChild(lower, true);
    events.clear();
    EXPECT_EQ(editor->keyDown(&key), -1);
    EXPECT_EQ(events, (Events{"upper.key"}));
}

TEST_F(GuiFrameTest, WheelGoesToTheChildUnderTheCursor) {
    RecordingView* a = addView("a", {0, 0, 100, 100});
    addView("b", {120, 0, 180, 100});
    platform.setCursor({hostX + 30, hostY + 40});
    events.clear();
    EXPECT_TRUE(editor->wheel(2.0f));
    EXPECT_EQ(events, (Events{"a.wheel"}));
    EXPECT_EQ(a->lastPoint, (GuiPoint{30, 40}));
    EXPECT_EQ(a->lastDistance, 2.0f);
    EXPECT_TRUE(a->hadContext);

    platform.setCursor({hostX + 110, hostY + 40});
    events.clear();
    EXPECT_FALSE(editor->wheel(1.0f));
    EXPECT_TRUE(events.empty());
}

TEST_F(GuiFrameTest, DropsGoToTheTopmostChildThatTakesThem) {
    addView("declines", {0, 0, 100, 100});
    addView("takes", {0, 0, 100, 100}, 1);
    addView("top", {0, 0, 100, 100});
    const char* names[] = {"a.txt"};
    events.clear();
    EXPECT_TRUE(frame->onFilesDropped(names, 1, dropFileList, {10, 10}));
    EXPECT_EQ(events, (Events{"top.drop", "takes.drop"}));

    RecordingView focus("focus", {0, 0, 1, 1}, events);
    focus.retain();
    frame->setFocusChild(&focus);
    events.clear();
    EXPECT_FALSE(frame->onFilesDropped(names, 1, dropFileList, {10, 10}));
    EXPECT_TRUE(events.empty());
    frame->setFocusChild(nullptr);
}

TEST_F(GuiFrameTest, ChildListOperations) {
    RecordingView* a = addView("a", {0, 0, 10, 10});
    RecordingView* b = addView("b", {0, 0, 10, 10});
    EXPECT_EQ(events, (Events{"a.attached", "b.attached"}));
    EXPECT_EQ(a->getOwnerFrame(), frame);
    EXPECT_EQ(a->getOwnerEditor(), editor);
    EXPECT_EQ(frame->getChildCount(), 2);
    EXPECT_EQ(frame->getChild(0), a);
    EXPECT_EQ(frame->getChild(-1), nullptr);
    EXPECT_EQ(frame->getChild(2), nullptr);

    RecordingView stranger("s", {0, 0, 1, 1}, events);
    stranger.retain();
    events.clear();
    EXPECT_TRUE(frame->removeChild(&stranger, true));
    EXPECT_EQ(frame->getChildCount(), 2);
    EXPECT_EQ(stranger.getRetainCount(), 2);
    EXPECT_TRUE(events.empty());

    // Removing the focus child also ends its focus, so no stale focus remains.
    frame->setFocusChild(a);
    EXPECT_TRUE(frame->removeChild(a, true));
    EXPECT_EQ(events, (Events{"a.focusLost", "a.detached", "a.destroyed"}));
    EXPECT_EQ(frame->getFocusChild(), nullptr);
    EXPECT_EQ(frame->getChild(0), b);
    EXPECT_FALSE(frame->hasChild(a));

    // A child that is also the modal child stops being modal when it is removed.
    RecordingView* splash = addView("splash", {0, 0, 10, 10});
    ASSERT_TRUE(frame->setModalChild(splash));
    EXPECT_TRUE(frame->removeChild(splash, true));
    EXPECT_EQ(frame->getModalChild(), nullptr);
    press(WM_LBUTTONDOWN, 5, 5); // must not reach the freed view

    for (int i = 0; i < 45; ++i) { // the array grows as needed
        ASSERT_TRUE(frame->addChild(new RecordingView("x", {0, 0, 1, 1}, events)));
    }
    EXPECT_EQ(frame->getChildCount(), 46);
    events.clear();
    frame->removeAllChildren(true);
    EXPECT_EQ(frame->getChildCount(), 0);
    EXPECT_EQ(events.size(), 46u * 2);
}

TEST_F(GuiFrameTest, IdleRepaintWaitsForTheFirstPaintAndPaintsOnlyWhatChanged) {
    auto* first = new test::SolidControl({0, 0, 40, 40}, colorRed);
    auto* second = new test::SolidControl({50, 0, 90, 40}, colorGreen);
    frame->addChild(first);
    frame->addChild(second);
    EXPECT_TRUE(frame->anythingToRepaint());
    frame->refreshIdle();
    EXPECT_EQ(first->paints + second->paints, 0); // no idle painting before the first WM_PAINT

    paintNow();
    EXPECT_EQ(first->paints, 1);
    EXPECT_EQ(second->paints, 1);
    EXPECT_FALSE(frame->anythingToRepaint());

    second->setValue(0.25f);
    editor->editorIdle();
    EXPECT_EQ(first->paints, 1);
    EXPECT_EQ(second->paints, 2);
    editor->editorIdle();
    EXPECT_EQ(second->paints, 2);

    // A redraw asked of the frame itself repaints everything.
    frame->setNeedsRedraw(true);
    frame->refreshIdle();
    EXPECT_EQ(first->paints, 2);
    EXPECT_EQ(second->paints, 3);

    // Painting at once through the frame.
    first->redrawNow();
    EXPECT_EQ(first->paints, 3);
    EXPECT_EQ(second->paints, 3);
    editor->drawNow();
    EXPECT_EQ(first->paints, 4);
    EXPECT_EQ(second->paints, 4);
}

// A focus child with a native edit window asks the frame for its colours.
class EditOwnerView final : public GuiView, public GuiNativeEditOwner {
public:
    EditOwnerView() : GuiView({0, 0, 10, 10}) {}
    GuiColor getEditTextColor() const override { return colorYellow; }
    GuiColor getEditFillColor() const override { return colorMagenta; }
    GuiGdiObject& editBackgroundBrush() override { return brush; }
    GuiGdiObject brush;

private:
    ~EditOwnerView() override = default;
};

TEST_F(GuiFrameTest, EditColourRequestIsAnsweredForTheFocusChild) {
    auto* field = new EditOwnerView();
    frame->addChild(field);
    GuiMemoryDC editDC(nullptr);
    const auto ask = [&] {
        return SendMessageA(frame->getWindow(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(editDC.get()), 0);
    };
    ask(); // without a focus child the system answers
    EXPECT_FALSE(field->brush);

    frame->setFocusChild(field);
    const int before = GuiGdiCounter::live();
    const LRESULT brush = ask();
    EXPECT_EQ(brush, reinterpret_cast<LRESULT>(field->brush.get()));
    EXPECT_EQ(GetTextColor(editDC.get()), colorYellow.toColorRef());
    EXPECT_EQ(GetBkColor(editDC.get()), colorMagenta.toColorRef());
    LOGBRUSH info{};
    GetObjectA(reinterpret_cast<HGDIOBJ>(brush), sizeof info, &info);
    EXPECT_EQ(info.lbColor, colorMagenta.toColorRef());
    ask();
    ask();
    EXPECT_EQ(GuiGdiCounter::live(), before + 1); // each answer replaces the brush
    frame->setFocusChild(nullptr);
}

TEST(GuiFrameLifecycle, ClassNameCarriesTheWholeModuleHandle) {
    struct Case {
        unsigned long long handle;
        const char* name;
    };
    std::vector<Case> cases = {{0x400000, "Plugin00400000"}, {0xfedc0000, "Pluginfedc0000"}};
    if (sizeof(std::uintptr_t) == 8) {
        cases.push_back({0x100400000, "Plugin100400000"});
        cases.push_back({0x7ffa12340000, "Plugin7ffa12340000"});
    }
    for (const Case& c : cases) {
        EXPECT_EQ(GuiWindowClass::nameFor(static_cast<std::uintptr_t>(c.handle)), c.name);
    }
}

TEST(GuiFrameLifecycle, ClassIsRegisteredOnceForAllFrames) {
    test::HostWindow host;
    const std::int32_t before = GuiWindowClass::useCount();
    const std::string name = GuiWindowClass::nameFor(reinterpret_cast<std::uintptr_t>(GuiModule::instance()));
    const char* expected = name.c_str();
    WNDCLASSA info{};

    GuiFrame* first = new GuiFrame({0, 0, 50, 50}, host.get(), nullptr);
    GuiFrame* second = new GuiFrame({0, 0, 50, 50}, host.get(), nullptr);
    EXPECT_EQ(GuiWindowClass::useCount(), before + 2);
    EXPECT_STREQ(GuiWindowClass::name(), expected);
    char actual[64] = {};
    GetClassNameA(first->getWindow(), actual, sizeof actual);
    EXPECT_STREQ(actual, expected);
    GetWindowTextA(first->getWindow(), actual, sizeof actual);
    EXPECT_STREQ(actual, "Window");
    EXPECT_TRUE(first->isDropEnabled());

    first->release();
    EXPECT_NE(GetClassInfoA(GuiModule::instance(), expected, &info), 0); // still in use by the second
    second->release();
    EXPECT_EQ(GuiWindowClass::useCount(), before);
    if (before == 0) {
        EXPECT_EQ(GetClassInfoA(GuiModule::instance(), expected, &info), 0);
    }

    // Without a parent there is no window and no class use.
    GuiFrame* orphan = new GuiFrame({0, 0, 50, 50}, nullptr, nullptr);
    EXPECT_EQ(orphan->getWindow(), nullptr);
    EXPECT_EQ(GuiWindowClass::useCount(), before);
    EXPECT_FALSE(orphan->enableDropTarget(true));
    orphan->release();
}

TEST(GuiFrameLifecycle, HostWindowGoingFirstStopsRepaintsAndTeardownStaysSafe) {
    test::ScriptedPlatform platform;
    Events events;
    auto* host = new test::HostWindow();
    GuiFrame* frame = new GuiFrame({0, 0, 100, 100}, host->get(), nullptr);
    auto* control = new test::SolidControl({0, 0, 20, 20}, colorRed);
    frame->addChild(control);
    frame->addChild(new RecordingView("v", {0, 0, 5, 5}, events));
    UpdateWindow(frame->getWindow());
    const HWND window = frame->getWindow();

    host->destroy(); // destroys the frame's window with it
    EXPECT_FALSE(frame->isOpen());
    EXPECT_EQ(frame->getParentWindow(), nullptr);
    control->setValue(0.5f);
    const int paints = control->paints;
    frame->refreshIdle();
    EXPECT_EQ(control->paints, paints);
    EXPECT_FALSE(IsWindow(window));

    events.clear();
    frame->release();
    EXPECT_EQ(events, (Events{"v.detached", "v.destroyed"}));
    delete host;

    // A window of the toolkit's class without a frame (as after teardown) gets default processing.
    test::HostWindow other;
    GuiFrame* keeper = new GuiFrame({0, 0, 10, 10}, other.get(), nullptr);
    HWND bare = CreateWindowExA(0, GuiWindowClass::name(), "bare", WS_CHILD | WS_VISIBLE, 0, 0, 30, 30,
                                other.get(), nullptr, GuiModule::instance(), nullptr);
    ASSERT_NE(bare, nullptr);
    SendMessageA(bare, WM_LBUTTONDOWN, 0, pointParam(5, 5));
    InvalidateRect(bare, nullptr, TRUE);
    UpdateWindow(bare);
    SendMessageA(bare, WM_CTLCOLOREDIT, 0, 0);
    DestroyWindow(bare);
    keeper->release();
}

// A view that sends window messages to its frame while the frame tears down.
class ChattyView final : public GuiView {
public:
    explicit ChattyView(int& detaches) : GuiView({0, 0, 50, 50}), count(detaches) {}
    bool onDetached(GuiFrame* container) override {
        ++count;
        SendMessageA(container->getWindow(), WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5));
        InvalidateRect(container->getWindow(), nullptr, FALSE);
        UpdateWindow(container->getWindow());
        return true;
    }
    void onMouseDown(GuiDrawContext&, GuiPoint) override { ++count; }

private:
    ~ChattyView() override = default;
    int& count;
};

TEST(GuiFrameLifecycle, MessagesArrivingDuringTeardownReachNoDepartedChild) {
    test::ScriptedPlatform platform;
    test::HostWindow host;
    int calls = 0;
    GuiFrame* frame = new GuiFrame({0, 0, 100, 100}, host.get(), nullptr);
    frame->addChild(new ChattyView(calls));
    frame->addChild(new ChattyView(calls));
    UpdateWindow(frame->getWindow());
    frame->release();
    EXPECT_EQ(calls, 2); // two detaches, and no press reached a view being taken down
}

TEST(GuiFrameLifecycle, OpenPaintCloseCyclesLeaveNoGdiObjects) {
    test::ScriptedPlatform platform;
    test::HostWindow host;
    GuiBitmap* background = coordinateBitmap(200, 150);
    const int before = GuiGdiCounter::live();
    for (int cycle = 0; cycle < 200; ++cycle) {
        GuiFrame* frame = new GuiFrame({0, 0, 200, 150}, host.get(), nullptr);
        frame->setBackgroundBitmap(background);
        auto* pad = new GuiXYPad({10, 10, 110, 60}, nullptr, 9, background, padShowCurveA | padBaseline);
        frame->addChild(pad);
        frame->addChild(new test::SolidControl({120, 10, 150, 40}, colorRed));
        InvalidateRect(frame->getWindow(), nullptr, FALSE);
        UpdateWindow(frame->getWindow());
        pad->setCurveScale(2.0f);
        frame->refreshIdle();
        frame->redrawChild(nullptr);
        frame->release();
        test::pumpMessages();
        ASSERT_EQ(GuiGdiCounter::live(), before) << "cycle " << cycle;
    }
    EXPECT_EQ(background->getRetainCount(), 1);
    background->release();
}

} // namespace
} // namespace chorus
