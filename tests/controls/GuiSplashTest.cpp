#include "gui/controls/GuiAboutSplash.h"
#include "gui/core/GuiOffscreenContext.h"
#include "tests/controls/ControlTestSupport.h"
#include "tests/gui/PixelProbe.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace chorus {
namespace {

using test::countPixels;
using test::left;
using test::makeBitmap;
using test::pixelAt;
using test::RecordingListener;
using test::ScriptedPlatform;
using Strings = std::vector<std::string>;

constexpr GuiColor pictureColour{10, 70, 40, 0};
constexpr GuiColor panelColour{90, 90, 100, 0};
constexpr GuiRect clickArea{11, 7, 75, 22};
constexpr GuiRect wholeEditor{0, 0, 238, 226};
constexpr GuiRect versionArea{75, 175, 175, 190};

class Splash : public ::testing::Test {
protected:
    void SetUp() override {
        GuiBitmap* panel = makeBitmap(238, 226, [](int, int) { return panelColour; });
        fixture.frame->setBackgroundBitmap(panel);
        panel->release();
        GuiBitmap* picture = makeBitmap(238, 226, [](int, int) { return pictureColour; });
        splash = new GuiAboutSplash(clickArea, &listener, 0, picture, wholeEditor, {0, 0});
        picture->release();
        fixture.frame->addChild(splash);
        fixture.frame->paint(surface);
    }
    void click(GuiPoint where) {
        platform.script({{left, where}});
        fixture.frame->onMouseDown(surface, where);
    }

    ScriptedPlatform platform;
    test::HostWindow host;
    test::FrameFixture fixture{host.get()};
    GuiOffscreenContext surface{nullptr, 238, 226, colorBlack};
    RecordingListener listener{};
    GuiAboutSplash* splash = nullptr;
};

TEST_F(Splash, ClickOpensTheModalPictureAndTheNextClickAnywhereClosesIt) {
    listener.repaints = false;
    EXPECT_EQ(pixelAt(surface.getDC(), 200, 200), panelColour); // closed: invisible
    click({200, 200});                                          // outside the click area: nothing
    EXPECT_EQ(splash->getValue(), 0.0f);
    click({20, 10});
    EXPECT_EQ(splash->getValue(), 1.0f);
    EXPECT_EQ(fixture.frame->getModalChild(), splash);
    EXPECT_EQ(splash->getBounds(), wholeEditor);
    EXPECT_EQ(pixelAt(surface.getDC(), 200, 200), pictureColour);
    click({200, 200});
    EXPECT_EQ(splash->getValue(), 0.0f);
    EXPECT_EQ(fixture.frame->getModalChild(), nullptr);
    EXPECT_EQ(splash->getBounds(), clickArea);
    EXPECT_EQ(pixelAt(surface.getDC(), 200, 200), panelColour); // the frame repainted itself
    EXPECT_EQ(listener.values(), (std::vector<float>{1.0f, 0.0f}));
    EXPECT_EQ(fixture.gestures(), (Strings{"b0", "e0", "b0", "e0"}));
    EXPECT_TRUE(splash->needsRedraw());
}

TEST_F(Splash, CloseSplashRestoresTheClickAreaWithoutTellingTheListener) {
    click({20, 10});
    splash->closeSplash();
    EXPECT_EQ(splash->getValue(), 0.0f);
    EXPECT_EQ(fixture.frame->getModalChild(), nullptr);
    EXPECT_EQ(splash->getBounds(), clickArea);
    EXPECT_EQ(listener.changes.size(), 1u);
    // Closing a closed splash keeps its click area.
    splash->closeSplash();
    EXPECT_EQ(splash->getBounds(), clickArea);
    click({20, 10});
    EXPECT_EQ(splash->getValue(), 1.0f);
}

TEST_F(Splash, RefusedModalStateLeavesItClosed) {
    auto* other = new GuiAboutSplash({100, 100, 120, 120}, nullptr, 1, nullptr, wholeEditor, {0, 0});
    fixture.frame->addChild(other);
    ASSERT_TRUE(fixture.frame->setModalChild(other));
    platform.script({{left, {20, 10}}});
    splash->onMouseDown(surface, {20, 10});
    EXPECT_EQ(splash->getValue(), 0.0f);
    EXPECT_EQ(splash->getBounds(), clickArea);
    EXPECT_TRUE(listener.changes.empty());
    fixture.frame->setModalChild(nullptr);
}

TEST_F(Splash, AboutSplashPrintsOnlyTheLinesThatWereSet) {
    splash->setVersionText("Version: 1.1.1", versionArea, colorWhite, alignLeft);
    EXPECT_TRUE(splash->hasVersionText());
    EXPECT_FALSE(splash->hasNoticeText());
    // Closed, it paints nothing at all.
    splash->paint(surface);
    EXPECT_EQ(countPixels(surface.getDC(), wholeEditor, colorWhite), 0);
    click({20, 10});
    const int versionInk = countPixels(surface.getDC(), versionArea, colorWhite);
    EXPECT_GT(versionInk, 20);
    EXPECT_EQ(countPixels(surface.getDC(), wholeEditor, colorWhite), versionInk);

    splash->setNoticeText("(c) the makers", {10, 200, 200, 215}, colorWhite, alignLeft);
    splash->paint(surface);
    EXPECT_GT(countPixels(surface.getDC(), {10, 200, 200, 215}, colorWhite), 20);
}

TEST_F(Splash, LinesLongerThanTheBufferAreCut) {
    const std::string longLine(400, 'v');
    splash->setVersionText(longLine.c_str(), versionArea, colorWhite, alignLeft);
    EXPECT_EQ(std::strlen(splash->getVersionText()), guiSplashTextSize - 1);
    splash->setNoticeText(nullptr, versionArea, colorWhite, alignLeft);
    EXPECT_TRUE(splash->hasNoticeText());
    EXPECT_STREQ(splash->getNoticeText(), "");
}

} // namespace
} // namespace chorus
