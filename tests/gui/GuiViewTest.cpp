#include "gui/core/GuiView.h"

#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiControl.h"
#include "gui/core/GuiFrame.h"
#include "gui/core/GuiGdiCounter.h"
#include "tests/gui/PixelProbe.h"
#include "tests/gui/RecordingView.h"

#include <gtest/gtest.h>

namespace chorus {
namespace {

using test::SolidControl;

GuiBitmap* smallBitmap() {
    return test::makeBitmap(4, 4, [](int, int) { return colorRed; });
}

TEST(GuiView, GeometryIncludesEdges) {
    std::vector<std::string> log;
    auto* view = new test::RecordingView("v", {10, 10, 20, 20}, log);
    EXPECT_TRUE(view->touchesRect({20, 0, 30, 10}));   // shares one corner
    EXPECT_TRUE(view->touchesRect({0, 12, 10, 14}));   // shares the left edge
    EXPECT_FALSE(view->touchesRect({21, 10, 30, 20})); // one pixel apart
    EXPECT_FALSE(view->touchesRect({10, 0, 20, 9}));
    EXPECT_TRUE(view->containsPoint({10, 10}));
    EXPECT_TRUE(view->containsPoint({20, 20}));
    EXPECT_TRUE(view->containsPoint({20, 15}));
    EXPECT_FALSE(view->containsPoint({21, 15}));
    EXPECT_FALSE(view->containsPoint({15, 9}));

    view->setBounds({0, 0, 5, 5});
    GuiRect area;
    view->getMouseArea(area);
    EXPECT_EQ(area, (GuiRect{10, 10, 20, 20})); // the mouse area stays
    EXPECT_TRUE(view->needsRedraw());
    view->release();
}

TEST(GuiView, RetainAndReleaseCountReferences) {
    std::vector<std::string> log;
    auto* view = new test::RecordingView("v", {0, 0, 1, 1}, log);
    view->retain();
    view->retain();
    view->release();
    view->release();
    EXPECT_EQ(view->getRetainCount(), 1);
    EXPECT_TRUE(log.empty());
    view->release();
    EXPECT_EQ(log, (std::vector<std::string>{"v.destroyed"}));
}

TEST(GuiControl, RedrawFollowsTheShownValue) {
    auto* control = new SolidControl({0, 0, 4, 4}, colorRed);
    EXPECT_EQ(control->getValue(), 0.0f);
    EXPECT_EQ(control->getShownValue(), 1.0f);
    EXPECT_TRUE(control->needsRedraw()); // new controls are out of date

    GuiDrawContext context(nullptr, nullptr, nullptr);
    control->repaintIfNeeded(context);
    EXPECT_EQ(control->paints, 1);
    EXPECT_FALSE(control->needsRedraw());
    control->repaintIfNeeded(context);
    EXPECT_EQ(control->paints, 1);

    control->setValue(0.3f);
    EXPECT_TRUE(control->needsRedraw());
    control->setNeedsRedraw(false);
    EXPECT_EQ(control->getShownValue(), 0.3f);
    EXPECT_FALSE(control->needsRedraw());

    control->setNeedsRedraw(true);
    EXPECT_EQ(control->getShownValue(), -1.0f);
    control->setValue(-1.0f);
    control->setNeedsRedraw(true);
    EXPECT_EQ(control->getShownValue(), 0.0f); // never equal to the value
    EXPECT_TRUE(control->needsRedraw());
    control->release();
}

TEST(GuiControl, ValuesAreStoredAsGivenUntilClamped) {
    auto* control = new SolidControl({0, 0, 4, 4}, colorRed);
    control->setValue(1.5f);
    EXPECT_EQ(control->getValue(), 1.5f);
    control->clampValue();
    EXPECT_EQ(control->getValue(), 1.0f);
    control->setValue(-0.2f);
    control->clampValue();
    EXPECT_EQ(control->getValue(), 0.0f);
    control->setMinimum(0.25f);
    control->setMaximum(0.75f);
    control->setValue(0.5f);
    control->clampValue();
    EXPECT_EQ(control->getValue(), 0.5f);
    control->requestIdle(); // no frame: nothing happens
    control->release();
}

TEST(GuiControl, BackgroundBitmapIsRetainedWhileHeld) {
    const int before = GuiGdiCounter::live();
    GuiBitmap* first = smallBitmap();
    GuiBitmap* second = smallBitmap();
    auto* control = new SolidControl({0, 0, 4, 4}, colorRed);
    control->setBackgroundBitmap(first);
    EXPECT_EQ(first->getRetainCount(), 2);
    control->setBackgroundBitmap(first); // the same bitmap again must survive
    EXPECT_EQ(first->getRetainCount(), 2);
    first->release();
    EXPECT_EQ(first->getRetainCount(), 1);
    EXPECT_EQ(control->getBackgroundBitmap(), first);

    second->retain();
    control->setBackgroundBitmap(second); // frees the first
    EXPECT_EQ(GuiGdiCounter::live(), before + 1);
    EXPECT_EQ(second->getRetainCount(), 3);
    second->release();
    control->release(); // drops its reference to the second
    EXPECT_EQ(second->getRetainCount(), 1);
    second->release();
    EXPECT_EQ(GuiGdiCounter::live(), before);
}

} // namespace
} // namespace chorus
