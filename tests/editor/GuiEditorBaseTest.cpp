#include "plugin/GuiEditorBase.h"

#include "dsp/ChorusParameterSet.h"
#include "gui/controls/GuiAboutSplash.h"
#include "gui/controls/GuiFilmstripKnob.h"
#include "gui/controls/GuiHorizontalSlider.h"
#include "gui/controls/GuiKnob.h"
#include "gui/controls/GuiMomentaryButton.h"
#include "gui/controls/GuiNumberField.h"
#include "gui/controls/GuiTextField.h"
#include "gui/controls/GuiToggleButton.h"
#include "gui/controls/GuiValueDisplay.h"
#include "gui/controls/GuiVerticalSlider.h"
#include "gui/core/GuiFrame.h"
#include "gui/core/GuiGdiCounter.h"
#include "tests/editor/EditorHarness.h"
#include "tests/gui/TestHost.h"

#include <cstring>
#include <gtest/gtest.h>

namespace chorus::test {

namespace {

constexpr int32_t firstBitmap = 1000;
constexpr int32_t bitmapCount = 10;
constexpr int32_t backgroundBitmap = 1001;

// A bitmap editor of the background's size with the module's bitmaps.
class PlainEditor final : public GuiEditorBase {
public:
    PlainEditor(PluginBaseEx* owner, ParameterSet* set) : GuiEditorBase(owner, set) {
        bitmaps.load(firstBitmap, bitmapCount, backgroundBitmap);
        rect = EditorRect{0, 0, 226, 238};
    }
};

class GuiEditorBaseTest : public ::testing::Test {
protected:
    GuiEditorBaseTest() {
        editor = new PlainEditor(&effect, &parameters);
        EXPECT_EQ(editor->openEditor(window.get()), 1);
    }
    ~GuiEditorBaseTest() override {
        editor->closeEditor();
        effect.setEditor(nullptr);
        delete editor;
    }
    GuiFrame* frame() const { return editor->getFrame(); }

    RecordingEffect effect;
    ChorusParameterSet parameters;
    HostWindow window;
    PlainEditor* editor = nullptr;
};

TEST_F(GuiEditorBaseTest, RegistersWithTheEffectAndOwnsAFrameOfItsRectangleWhileOpen) {
    EXPECT_EQ(effect.getEditor(), editor);
    EXPECT_NE(effect.descriptor()->flags & flagHasEditor, 0u);
    ASSERT_NE(frame(), nullptr);
    EXPECT_TRUE(editor->isOpen());
    EXPECT_EQ(frame()->getBounds(), (GuiRect{0, 0, 238, 226}));
    EXPECT_EQ(frame()->getOwnerEditor(), editor);
    editor->closeEditor();
    EXPECT_EQ(frame(), nullptr);
    EXPECT_FALSE(editor->isOpen());
    // Without a parent window nothing can be shown: the open fails and leaves no frame.
    EXPECT_EQ(editor->openEditor(nullptr), 0);
    EXPECT_EQ(frame(), nullptr);
    EXPECT_FALSE(editor->isOpen());
}

TEST_F(GuiEditorBaseTest, OpeningAgainReplacesTheFrameInsteadOfLeakingIt) {
    const int drawingObjects = GuiGdiCounter::live();
    ASSERT_EQ(editor->openEditor(window.get()), 1);
    EXPECT_NE(frame(), nullptr);
    EXPECT_EQ(GuiGdiCounter::live(), drawingObjects);
    EXPECT_EQ(childWindowCount(window.get()), 1);
}

TEST_F(GuiEditorBaseTest, FilmstripFactoryCutsTheStripIntoFramesOfTheRectanglesHeight) {
    GuiFilmstripKnob* knob = nullptr;
    const int32_t params[] = {2};
    GuiBitmap* strip = editor->getBitmapBank().bitmapFor(1002);
    ASSERT_EQ(editor->createFilmstripKnob(&knob, {10, 20, 52, 62}, 7, strip, {0, 0}, true, 1, params), knob);
    ASSERT_NE(knob, nullptr);
    EXPECT_EQ(knob->getFrameCount(), 65);
    EXPECT_EQ(knob->getFrameHeight(), 42);
    EXPECT_TRUE(knob->drawsTransparent());
    EXPECT_TRUE(frame()->hasChild(knob));
    EXPECT_EQ(knob->getListener(), editor);
    // The link reports gestures on the knob's tag as gestures on parameter 2.
    effect.clearCalls();
    frame()->notifyEditStart(7);
    frame()->notifyEditEnd(7);
    const auto calls = effect.calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].opcode, hostOpBeginGesture);
    EXPECT_EQ(calls[0].index, 2);
    EXPECT_EQ(calls[1].opcode, hostOpEndGesture);

    GuiFilmstripKnob* loose = nullptr;
    editor->createFilmstripKnob(&loose, {0, 0, 30, 30}, 8, strip, {0, 0}, false, 0, nullptr);
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(loose->getFrameCount(), 2730 / 30);
    EXPECT_FALSE(frame()->hasChild(loose));
    loose->release();
}

TEST_F(GuiEditorBaseTest, ButtonKnobAndSliderFactoriesTakeTheirSizeFromTheBitmaps) {
    GuiToggleButton* toggle = nullptr;
    editor->addToggleButton(&toggle, 5, 6, 1, 1007, 0, nullptr);
    ASSERT_NE(toggle, nullptr);
    EXPECT_EQ(toggle->getBounds(), (GuiRect{5, 6, 39, 22})); // 34 x 32, two states
    GuiMomentaryButton* momentary = nullptr;
    editor->addMomentaryButton(&momentary, 50, 60, 2, 1008, 0, nullptr);
    ASSERT_NE(momentary, nullptr);
    EXPECT_EQ(momentary->getBounds(), (GuiRect{50, 60, 84, 76}));

    GuiKnob* small = nullptr;
    editor->addKnob(&small, 10, 20, 50, 60, 3, 1003, -1, 0, nullptr);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->getBounds(), (GuiRect{10, 20, 50, 60}));
    EXPECT_EQ(small->getBackgroundBitmap(), editor->getBitmapBank().background());
    EXPECT_EQ(small->getBitmapOrigin(), (GuiPoint{10, 20})); // the part of the background under it
    GuiKnob* wide = nullptr;
    editor->createKnob(&wide, 0, 0, 238, 40, 4, 1003, -1, 0, nullptr);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->getBitmapOrigin(), (GuiPoint{0, 0}));

    GuiVerticalSlider* vertical = nullptr;
    editor->createVerticalSlider(&vertical, 100, 10, 5, 1003, 1005, true, 0, nullptr);
    ASSERT_NE(vertical, nullptr);
    EXPECT_EQ(vertical->getBounds(), (GuiRect{100, 10, 112, 22})); // thumb 12 wide, field 12 high
    EXPECT_EQ(vertical->getStyle() & (sliderFromBottom | sliderFromTop), sliderFromBottom);
    EXPECT_TRUE(frame()->hasChild(vertical));
    GuiHorizontalSlider* horizontal = nullptr;
    editor->createHorizontalSlider(&horizontal, 100, 30, 6, 1003, 1005, false, 0, nullptr);
    ASSERT_NE(horizontal, nullptr);
    EXPECT_EQ(horizontal->getBounds(), (GuiRect{100, 30, 148, 52})); // field 48 wide, thumb 22 high
    EXPECT_EQ(horizontal->getStyle() & (sliderFromLeft | sliderFromRight), sliderFromLeft);
    EXPECT_FALSE(frame()->hasChild(horizontal));
    horizontal->release();
}

TEST_F(GuiEditorBaseTest, DisplaysAndFieldsFormatThroughTheEditor) {
    GuiValueDisplay* kept = nullptr;
    editor->createFormattedDisplay(&kept, {0, 0, 40, 12}, 9, false);
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->getTag(), 9);
    EXPECT_EQ(kept->getTextFont(), GuiEditorBase::fieldFont);
    EXPECT_FALSE(frame()->hasChild(kept));
    // Outside a frame the converter finds no editor and writes an empty text.
    char text[16] = "unchanged";
    GuiEditorBase::formatConverter(1.25f, text, sizeof text, kept);
    EXPECT_STREQ(text, "");
    kept->release();

    GuiNumberField* field = nullptr;
    const int32_t params[] = {1};
    editor->createNumberField(&field, {0, 20, 40, 32}, 11, 1, params);
    ASSERT_NE(field, nullptr);
    ASSERT_TRUE(frame()->hasChild(field));
    field->setMaximum(10.0f);
    field->setValue(0.125f);
    EXPECT_STREQ(field->getText(), "1.2"); // "%.1f" of 1.25, as the C library rounds it
    GuiEditorBase::formatConverter(3.0f, text, sizeof text, field);
    EXPECT_STREQ(text, "3.0");

    GuiTextField* textField = nullptr;
    editor->createTextField(&textField, {0, 40, 40, 52}, 12, 0, nullptr);
    ASSERT_NE(textField, nullptr);
    EXPECT_TRUE(frame()->hasChild(textField));

    char out[6];
    EXPECT_EQ(editor->textFilter("abc", out, sizeof out, 0), 4);
    EXPECT_STREQ(out, "abc");
    EXPECT_EQ(editor->textFilter("abcdefgh", out, sizeof out, 0), 6);
    EXPECT_STREQ(out, "abcde");
    editor->formatValue(-0.04f, out, sizeof out, 0);
    EXPECT_STREQ(out, "-0.0");
}

TEST_F(GuiEditorBaseTest, AboutSplashCarriesTheVersionLineAndTheNoticeOnlyWithAnArea) {
    GuiAboutSplash* splash = editor->addAboutSplash({11, 7, 75, 22}, 0, 1000, {0, 0, 238, 226}, {0, 0},
                                                    {75, 175, 175, 190}, {0, 0, 0, 0}, colorWhite, alignLeft);
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(editor->getAboutSplash(), splash);
    EXPECT_TRUE(frame()->hasChild(splash));
    EXPECT_TRUE(splash->hasVersionText());
    EXPECT_STREQ(splash->getVersionText(), "Version: 1.1.1");
    EXPECT_FALSE(splash->hasNoticeText());

    editor->setAboutTexts({0, 0, 0, 0}, {10, 200, 228, 215}, colorWhite, alignCenter);
    EXPECT_TRUE(splash->hasNoticeText());
    EXPECT_GT(std::strlen(splash->getNoticeText()), 0u);
    EXPECT_LT(std::strlen(splash->getNoticeText()), GuiEditorBase::lineSize);

    editor->closeEditor();
    EXPECT_EQ(editor->getAboutSplash(), nullptr);
}

TEST_F(GuiEditorBaseTest, IdleCountsTheResetHoldDownAndRaisesTheReset) {
    parameters.setResetPending(false);
    parameters.raiseResetHold();
    parameters.raiseResetHold();
    editor->editorIdle();
    EXPECT_EQ(parameters.getResetHold(), 1);
    EXPECT_TRUE(parameters.isResetPending());
    editor->editorIdle();
    editor->editorIdle();
    EXPECT_EQ(parameters.getResetHold(), 0);
}

} // namespace

} // namespace chorus::test
