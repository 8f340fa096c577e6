#include "dsp/ChorusParameterSet.h"
#include "editor/ChorusXYPad.h"
#include "gui/controls/GuiAboutSplash.h"
#include "gui/controls/GuiButtonGroup.h"
#include "gui/controls/GuiFilmstripKnob.h"
#include "gui/controls/GuiNumberField.h"
#include "gui/controls/GuiVerticalSlider.h"
#include "gui/core/GuiFrame.h"
#include "tests/editor/EditorHarness.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <windows.h>

namespace chorus::test {

namespace {

constexpr float tolerance = 1e-6f;
constexpr GuiPoint titlePoint{30, 14};

std::string textOf(const GuiNumberField* field) {
    return field != nullptr ? field->getText() : "(none)";
}

// Columns where the waveform reaches a local top.
int peaksOf(const ChorusEditor& editor) {
    const float* wave = editor.getWaveValues();
    int peaks = 0;
    for (int x = 1; x + 1 < editor.getPadWidth(); ++x) {
        if (wave[x] > wave[x - 1] && wave[x] >= wave[x + 1]) {
            ++peaks;
        }
    }
    return peaks;
}

// A point of the knob (editor coordinates) that its circular drag maps to the value.
GuiPoint knobPointFor(GuiFilmstripKnob* knob, float value) {
    const float kept = knob->getValue();
    knob->setValue(value);
    GuiPoint p;
    knob->pointForValue(p);
    knob->setValue(kept);
    const GuiRect& b = knob->getBounds();
    return {b.left + p.h, b.top + p.v};
}

class ChorusEditorTest : public ::testing::Test {
protected:
    EditorHarness h;
    ChorusEditor& editor = h.editor();
};

TEST_F(ChorusEditorTest, ReportsItsSizeIsAnnouncedToTheHostAndOpensOneWindow) {
    EditorRect* rect = nullptr;
    ASSERT_EQ(h.dispatch(opEditorRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 226);
    EXPECT_EQ(rect->right, 238);
    EXPECT_NE(h.effect().descriptor()->flags & flagHasEditor, 0u);
    EXPECT_EQ(editor.getPadWidth(), 147);
    EXPECT_EQ(editor.getPadHeight(), 85);
    RECT client{};
    GetClientRect(h.editorWindow(), &client);
    EXPECT_EQ(client.right, 238);
    EXPECT_EQ(client.bottom, 226);
    // Opening again replaces the first window.
    ASSERT_TRUE(h.open());
    EXPECT_EQ(childWindowCount(h.hostWindow()), 1);
    EXPECT_EQ(textOf(editor.getFreqField()), "2.00Hz");
}

TEST_F(ChorusEditorTest, OpensShowingTheFactoryProgram) {
    EXPECT_EQ(textOf(editor.getMixField()), "50%");
    EXPECT_EQ(textOf(editor.getFreqField()), "2.00Hz");
    EXPECT_EQ(textOf(editor.getDelayField()), "2.00ms");
    EXPECT_EQ(textOf(editor.getStagesField()), "1");
    EXPECT_EQ(editor.getShapeButtons()->litMember(), 1); // the peak, the sine setting
    EXPECT_NEAR(editor.getWavePad()->getValueX(), 0.4f, tolerance);
    EXPECT_NEAR(editor.getWavePad()->getValueY(), 0.4f, tolerance);
    EXPECT_NEAR(editor.getFreqKnob()->getValue(), 0.4f, tolerance);
    EXPECT_NEAR(editor.getDelayKnob()->getValue(), 0.4f, tolerance);
    EXPECT_NEAR(editor.getStagesKnob()->getValue(), 0.0f, tolerance);
    EXPECT_NEAR(editor.getMixSlider()->getValue(), 0.5f, tolerance);
    EXPECT_EQ(peaksOf(editor), 3);
    EXPECT_EQ(editor.getWavePad()->getStageCount(), 1);
    EXPECT_EQ(editor.getWavePad()->getShapeIndex(), 1);
}

TEST_F(ChorusEditorTest, FormatsEachFieldInItsUnit) {
    struct Case {
        float value;
        int32_t tag;
        const char* shown;
    };
    char text[32];
    for (const Case& c :
         {Case{49.6f, ChorusEditor::tagMixField, "50%"}, Case{2.0f, ChorusEditor::tagFreqField, "2.00Hz"},
          Case{2.5f, ChorusEditor::tagDelayField, "2.50ms"}, Case{2.6f, ChorusEditor::tagStagesField, "3"}}) {
        editor.formatValue(c.value, text, sizeof text, c.tag);
        EXPECT_STREQ(text, c.shown) << c.tag;
    }
    std::strcpy(text, "kept");
    editor.formatValue(1.0f, text, sizeof text, ChorusEditor::tagPad);
    EXPECT_STREQ(text, "kept");
    // A short buffer is cut, never overrun.
    char shortText[4] = {'x', 'x', 'x', 'x'};
    editor.formatValue(4.99f, shortText, 3, ChorusEditor::tagFreqField);
    EXPECT_STREQ(shortText, "4.");
    EXPECT_EQ(shortText[3], 'x');
}

TEST_F(ChorusEditorTest, WaveformRepeatsOncePerWholeHertzPlusOne) {
    h.setParameter(paramFreq, 0.1f); // 0.5 Hz
    EXPECT_EQ(peaksOf(editor), 1);
    h.setParameter(paramFreq, 1.0f); // 5 Hz
    EXPECT_EQ(peaksOf(editor), 6);
    h.setParameter(paramFreq, 0.4f);
    EXPECT_EQ(peaksOf(editor), 3);
    // Three cycles of 48 columns; the sine setting peaks halfway, at the full height less 3 pixels.
    for (const auto& [column, height] : {std::pair{24, 82.0f / 85.0f}, std::pair{72, 82.0f / 85.0f},
                                         std::pair{48, 0.0f}, std::pair{12, 41.0f / 85.0f}}) {
        EXPECT_NEAR(editor.waveHeightAt(column), height, 1e-5f) << "column " << column;
    }
    EXPECT_NEAR(editor.waveHeightAt(0), 0.0f, 1e-6f);
    // Past the last cycle there is nothing.
    EXPECT_EQ(editor.waveHeightAt(145), 0.0f);
}

TEST_F(ChorusEditorTest, RampRisesSlowlyAndFallsQuicklyAndSquareHasTwoLevels) {
    h.setParameter(paramShape, 0.0f); // ramp
    // Cycles of 48 columns turning at column 45.
    EXPECT_NEAR(editor.waveHeightAt(45), 82.0f / 85.0f, 1e-5f);
    EXPECT_LT(editor.waveHeightAt(46), editor.waveHeightAt(45));
    EXPECT_GT(editor.waveHeightAt(44), editor.waveHeightAt(43));
    EXPECT_NEAR(editor.waveHeightAt(48), 0.0f, 1e-5f);
    EXPECT_EQ(editor.getWavePad()->getShapeIndex(), 0);

    h.setParameter(paramShape, 1.0f); // square
    EXPECT_EQ(editor.getWavePad()->getShapeIndex(), 2);
    // Segments of 147 / 3 = 49 columns, high for the first half.
    for (int column : {1, 24, 50, 99}) {
        EXPECT_FLOAT_EQ(editor.waveHeightAt(column), 0.95f) << "column " << column;
    }
    for (int column : {0, 25, 49, 145}) {
        EXPECT_FLOAT_EQ(editor.waveHeightAt(column), 0.02f) << "column " << column;
    }
}

TEST_F(ChorusEditorTest, RippleFollowsDelayAndReachesThePad) {
    h.setParameter(paramDelay, 0.5f); // 2.5 ms
    const float* wave = editor.getWaveValues();
    const float* ripple = editor.getRippleValues();
    for (int x : {0, 7, 30, 100, 145}) {
        const float s = std::sin(static_cast<float>(x) * (110.0f - 20.0f * 2.5f) / 150.0f);
        EXPECT_NEAR(ripple[x], wave[x] * s * s, 1e-5f) << "column " << x;
    }
    EXPECT_EQ(wave[146], 0.0f);
    EXPECT_EQ(ripple[146], 0.0f);
    // The pad gets the curves in pixels above its bottom edge (its height less one per unit).
    const ChorusXYPad* pad = editor.getWavePad();
    for (int x : {0, 24, 100, 144}) {
        EXPECT_NEAR(pad->getHeightPoint(0, x), -83.0f * wave[x], 1e-4f) << "column " << x;
        EXPECT_NEAR(pad->getHeightPoint(1, x), -83.0f * ripple[x], 1e-4f) << "column " << x;
    }
    EXPECT_EQ(pad->getHeightPoint(0, 145), 0.0f);
}

TEST_F(ChorusEditorTest, HostChangesMoveEveryControlShowingTheParameter) {
    h.setParameter(paramFreq, 0.8f);
    EXPECT_NEAR(editor.getFreqKnob()->getValue(), 0.8f, tolerance);
    EXPECT_EQ(textOf(editor.getFreqField()), "4.00Hz");
    EXPECT_NEAR(editor.getWavePad()->getValueX(), 0.8f, tolerance);
    EXPECT_EQ(peaksOf(editor), 5);

    // Slow Step: 0.5 Hz, 5 ms, two stages, square.
    h.dispatch(opSelectProgram, 0, 2);
    EXPECT_EQ(textOf(editor.getFreqField()), "0.50Hz");
    EXPECT_EQ(textOf(editor.getDelayField()), "5.00ms");
    EXPECT_EQ(textOf(editor.getStagesField()), "2");
    EXPECT_EQ(textOf(editor.getMixField()), "50%");
    EXPECT_NEAR(editor.getDelayKnob()->getValue(), 1.0f, tolerance);
    EXPECT_NEAR(editor.getStagesKnob()->getValue(), 1.0f / 3.0f, 1e-5f);
    EXPECT_NEAR(editor.getWavePad()->getValueY(), 1.0f, tolerance);
    EXPECT_EQ(editor.getShapeButtons()->litMember(), 2);
    EXPECT_EQ(editor.getWavePad()->getStageCount(), 2);
    EXPECT_FLOAT_EQ(editor.getWaveValues()[1], 0.95f);

    // Evil Shadow: 90 % mix, four stages.
    h.dispatch(opSelectProgram, 0, 7);
    EXPECT_EQ(textOf(editor.getMixField()), "90%");
    EXPECT_NEAR(editor.getMixSlider()->getValue(), 0.9f, 1e-5f);
    EXPECT_EQ(editor.getWavePad()->getStageCount(), 4);
}

TEST_F(ChorusEditorTest, OtherIndicesOnlyAskForARedrawAndAClosedOrWindowlessEditorReadsValuesWhenReopened) {
    h.idle();
    ASSERT_FALSE(editor.isRedrawPending());
    editor.paramChanged(7, 0.9f);
    EXPECT_TRUE(editor.isRedrawPending());
    EXPECT_EQ(textOf(editor.getFreqField()), "2.00Hz");
    EXPECT_NEAR(editor.getMixSlider()->getValue(), 0.5f, tolerance);

    h.close();
    EXPECT_EQ(editor.getFreqField(), nullptr);
    EXPECT_FALSE(editor.isOpen());
    // Without a window there is nothing to open.
    EXPECT_EQ(h.dispatch(opEditorOpen, 0, 0, nullptr), 0);
    EXPECT_EQ(editor.getFrame(), nullptr);
    EXPECT_EQ(editor.getFreqKnob(), nullptr);
    EXPECT_FALSE(editor.isOpen());
    h.setParameter(paramFreq, 0.9f); // nobody to show it
    ASSERT_TRUE(h.open());
    EXPECT_EQ(textOf(editor.getFreqField()), "4.50Hz");
    EXPECT_EQ(peaksOf(editor), 5);
}

TEST_F(ChorusEditorTest, FreqKnobDragIsBracketedByGesturesAndAutomatesParameterOne) {
    GuiFilmstripKnob* knob = editor.getFreqKnob();
    const GuiPoint from = knobPointFor(knob, 0.3f);
    const GuiPoint to = knobPointFor(knob, 0.7f);
    EditorHarness::clearRequests();
    h.drag(from, {to});

    const auto& all = EditorHarness::requests();
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(all.front().opcode, hostOpBeginGesture);
    EXPECT_EQ(all.front().index, paramFreq);
    EXPECT_EQ(all.back().opcode, hostOpEndGesture);
    EXPECT_EQ(all.back().index, paramFreq);
    const auto automated = EditorHarness::requests(hostOpAutomate);
    ASSERT_FALSE(automated.empty());
    for (const HostRequest& r : automated) {
        EXPECT_EQ(r.index, paramFreq);
    }
    EXPECT_NEAR(automated.back().opt, 0.7f, 0.01f);
    EXPECT_NEAR(h.parameters().getRealValue(paramFreq), 3.5f, 0.05f);
    EXPECT_NEAR(editor.getWavePad()->getValueX(), automated.back().opt, tolerance);
    EXPECT_EQ(peaksOf(editor), 4);
}

TEST_F(ChorusEditorTest, StagesKnobSnapsToTheStageItLandsOn) {
    GuiFilmstripKnob* knob = editor.getStagesKnob();
    EditorHarness::clearRequests();
    h.drag(knobPointFor(knob, 0.6f), {});
    const auto automated = EditorHarness::requests(hostOpAutomate);
    ASSERT_FALSE(automated.empty());
    EXPECT_EQ(automated.back().index, paramStages);
    EXPECT_NEAR(automated.back().opt, 2.0f / 3.0f, 1e-5f);
    EXPECT_FLOAT_EQ(h.parameters().getRealValue(paramStages), 3.0f);
    EXPECT_NEAR(knob->getValue(), 2.0f / 3.0f, 1e-5f);
    EXPECT_EQ(textOf(editor.getStagesField()), "3");
    EXPECT_EQ(editor.getWavePad()->getStageCount(), 3);
}

// What the field, the knob and the host are told agree, and only a change is sent.
TEST_F(ChorusEditorTest, StagesBetweenStepsSendTheStepOnceAndNoNumberSendsNothing) {
    EditorHarness::clearRequests();
    ASSERT_TRUE(h.typeInto({140, 151}, editor.getStagesField(), "2.5"));
    const auto typed = EditorHarness::requests(hostOpAutomate);
    ASSERT_FALSE(typed.empty());
    for (const HostRequest& r : typed) {
        EXPECT_EQ(r.index, paramStages);
        EXPECT_NEAR(r.opt, 2.0f / 3.0f, 1e-5f);
    }
    EXPECT_FLOAT_EQ(h.parameters().getRealValue(paramStages), 3.0f);
    EXPECT_NEAR(editor.getStagesKnob()->getValue(), 2.0f / 3.0f, 1e-5f);
    EXPECT_EQ(textOf(editor.getStagesField()), "3");

    // Knob moves that stay on stage 3 send nothing.
    GuiFilmstripKnob* knob = editor.getStagesKnob();
    EditorHarness::clearRequests();
    h.drag(knobPointFor(knob, 0.6f),
           {knobPointFor(knob, 0.65f), knobPointFor(knob, 0.7f), knobPointFor(knob, 0.75f)});
    EXPECT_TRUE(EditorHarness::requests(hostOpAutomate).empty());
    EXPECT_NEAR(knob->getValue(), 2.0f / 3.0f, 1e-5f);

    const float delay = h.parameters().getRealValue(paramDelay);
    ASSERT_TRUE(h.typeInto({80, 151}, editor.getDelayField(), "abc"));
    EXPECT_TRUE(EditorHarness::requests(hostOpAutomate).empty());
    EXPECT_FLOAT_EQ(h.parameters().getRealValue(paramDelay), delay);
}

TEST_F(ChorusEditorTest, TypingIntoTheDelayFieldSetsParameterTwo) {
    GuiNumberField* field = editor.getDelayField();
    EditorHarness::clearRequests();
    ASSERT_TRUE(h.typeInto({80, 151}, field, "3,5"));
    EXPECT_FALSE(field->isEditing());
    EXPECT_FLOAT_EQ(h.parameters().getRealValue(paramDelay), 3.5f);
    EXPECT_EQ(textOf(field), "3.50ms");
    EXPECT_NEAR(editor.getDelayKnob()->getValue(), 0.7f, 1e-5f);
    const auto automated = EditorHarness::requests(hostOpAutomate);
    ASSERT_EQ(automated.size(), 1u);
    EXPECT_EQ(automated[0].index, paramDelay);
}

TEST_F(ChorusEditorTest, MixSliderAndTheOtherFieldsReachTheirParameters) {
    EditorHarness::clearRequests();
    // The thumb sits at 50 % (y 114 to 136 of a 54 to 196 track); dragging it up 30 pixels raises Mix.
    h.drag({201, 125}, {{201, 110}, {201, 95}});
    const auto automated = EditorHarness::requests(hostOpAutomate);
    ASSERT_FALSE(automated.empty());
    EXPECT_EQ(automated.back().index, paramMix);
    EXPECT_GT(h.parameters().getRealValue(paramMix), 60.0f);
    EXPECT_EQ(EditorHarness::requests(hostOpBeginGesture).front().index, paramMix);
    EXPECT_EQ(std::string(editor.getMixField()->getText()),
              std::to_string(static_cast<int>(h.parameters().getRealValue(paramMix) + 0.5f)) + "%");

    ASSERT_TRUE(h.typeInto({200, 43}, editor.getMixField(), "75"));
    EXPECT_FLOAT_EQ(h.parameters().getRealValue(paramMix), 75.0f);
    EXPECT_NEAR(editor.getMixSlider()->getValue(), 0.75f, 1e-5f);
    ASSERT_TRUE(h.typeInto({140, 151}, editor.getStagesField(), "4"));
    EXPECT_FLOAT_EQ(h.parameters().getRealValue(paramStages), 4.0f);
    EXPECT_NEAR(editor.getStagesKnob()->getValue(), 1.0f, 1e-5f);
    EXPECT_EQ(editor.getWavePad()->getStageCount(), 4);
    ASSERT_TRUE(h.typeInto({30, 151}, editor.getFreqField(), "9"));
    EXPECT_FLOAT_EQ(h.parameters().getRealValue(paramFreq), 5.0f); // the field keeps to the range
    EXPECT_EQ(textOf(editor.getFreqField()), "5.00Hz");
}

TEST_F(ChorusEditorTest, PadDragSendsFreqAndDelay) {
    EditorHarness::clearRequests();
    h.drag({80, 70}, {{100, 60}, {110, 50}});
    const auto begun = EditorHarness::requests(hostOpBeginGesture);
    const auto ended = EditorHarness::requests(hostOpEndGesture);
    ASSERT_EQ(begun.size(), 2u);
    EXPECT_EQ(begun[0].index, paramFreq);
    EXPECT_EQ(begun[1].index, paramDelay);
    ASSERT_EQ(ended.size(), 2u);
    bool freq = false;
    bool delay = false;
    for (const HostRequest& r : EditorHarness::requests(hostOpAutomate)) {
        freq = freq || r.index == paramFreq;
        delay = delay || r.index == paramDelay;
    }
    EXPECT_TRUE(freq);
    EXPECT_TRUE(delay);
    // 30 pixels right of a 146-pixel pad, 20 up an 84-pixel one.
    EXPECT_NEAR(h.parameters().getNormalizedValue(paramFreq), 0.4f + 30.0f / 146.0f, 0.01f);
    EXPECT_NEAR(h.parameters().getNormalizedValue(paramDelay), 0.4f + 20.0f / 84.0f, 0.01f);
    EXPECT_NEAR(editor.getFreqKnob()->getValue(), editor.getWavePad()->getValueX(), tolerance);
}

TEST_F(ChorusEditorTest, ShapeButtonsSendParameterFour) {
    EditorHarness::clearRequests();
    h.click({60, 128}); // the ramp
    const auto automated = EditorHarness::requests(hostOpAutomate);
    ASSERT_FALSE(automated.empty());
    EXPECT_EQ(automated.back().index, paramShape);
    EXPECT_FLOAT_EQ(automated.back().opt, 0.0f);
    EXPECT_FLOAT_EQ(h.parameters().getRealValue(paramShape), 0.0f);
    EXPECT_EQ(editor.getShapeButtons()->litMember(), 0);
    EXPECT_EQ(editor.getWavePad()->getShapeIndex(), 0);

    h.click({140, 128}); // the square
    EXPECT_FLOAT_EQ(h.parameters().getRealValue(paramShape), 2.0f);
    EXPECT_EQ(editor.getShapeButtons()->litMember(), 2);
}

TEST_F(ChorusEditorTest, TitleOpensAndClosesTheAboutPictureWithoutChangingParameters) {
    GuiAboutSplash* splash = editor.getAboutSplash();
    ASSERT_NE(splash, nullptr);
    EXPECT_STREQ(splash->getVersionText(), "Version: 1.1.1");
    EXPECT_FALSE(splash->hasNoticeText());
    float before[chorusParamCount];
    for (int i = 0; i < chorusParamCount; ++i) {
        before[i] = h.parameters().getRealValue(i);
    }
    EditorHarness::clearRequests();
    h.click(titlePoint);
    EXPECT_TRUE(splash->isSplashOpen());
    EXPECT_EQ(editor.getFrame()->getModalChild(), splash);
    // While open, a press on a knob goes to the picture and closes it.
    h.click({40, 182});
    EXPECT_FALSE(splash->isSplashOpen());
    EXPECT_EQ(editor.getFrame()->getModalChild(), nullptr);
    EXPECT_TRUE(EditorHarness::requests(hostOpAutomate).empty());
    EXPECT_TRUE(EditorHarness::requests(hostOpBeginGesture).empty());
    for (int i = 0; i < chorusParamCount; ++i) {
        EXPECT_EQ(h.parameters().getRealValue(i), before[i]) << "parameter " << i;
    }
}

TEST_F(ChorusEditorTest, FieldStillEditingWhenTheHostClosesReportsItsText) {
    GuiNumberField* field = editor.getFreqField();
    h.click({30, 151});
    ASSERT_TRUE(field->isEditing());
    SetWindowTextA(field->getEditWindow(), "1.25");
    h.close();
    EXPECT_FLOAT_EQ(h.parameters().getRealValue(paramFreq), 1.25f);
    EXPECT_EQ(editor.getFrame(), nullptr);
}

} // namespace

} // namespace chorus::test
