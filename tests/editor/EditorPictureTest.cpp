#include "dsp/ChorusParameterSet.h"
#include "editor/ChorusXYPad.h"
#include "gui/controls/GuiBitmapBank.h"
#include "gui/controls/GuiButtonGroup.h"
#include "gui/controls/GuiFilmstripKnob.h"
#include "gui/core/GuiBitmap.h"
#include "tests/editor/EditorHarness.h"

#include <gtest/gtest.h>
#include <set>
#include <utility>

namespace chorus::test {

namespace {

constexpr GuiColor keyColour{255, 255, 255, 0};
constexpr GuiRect padArea{13, 31, 159, 115};

// Pixels of the knob's area that differ from its strip frame laid over the background (the strip's key
// colour lets the background through).
int knobMismatches(const Picture& shot, const GuiFilmstripKnob* knob, const GuiBitmapBank& bank) {
    const GuiBitmap* strip = bank.bitmapFor(ChorusEditor::bitmapKnobStrip);
    const GuiBitmap* background = bank.bitmapFor(ChorusEditor::bitmapBackground);
    const std::vector<GuiColor> stripPixels = bitmapPixels(strip);
    const std::vector<GuiColor> backPixels = bitmapPixels(background);
    const GuiRect& b = knob->getBounds();
    const int offset = knob->frameOffset();
    int mismatches = 0;
    for (int y = 0; y < b.height(); ++y) {
        for (int x = 0; x < b.width(); ++x) {
            const GuiColor s = stripPixels[static_cast<std::size_t>((offset + y) * strip->getWidth() + x)];
            const GuiColor back =
                backPixels[static_cast<std::size_t>((b.top + y) * background->getWidth() + b.left + x)];
            const GuiColor expected = s == keyColour ? back : s;
            if (!(shot.at(b.left + x, b.top + y) == expected)) {
                ++mismatches;
            }
        }
    }
    return mismatches;
}

// The pad's waveform: the white pixel of each column, as the editor computed it.
int missingWavePixels(const Picture& shot, const ChorusEditor& editor) {
    const ChorusXYPad* pad = editor.getWavePad();
    int missing = 0;
    for (int x = 0; x + 2 < pad->getPointCount(); ++x) {
        const int row = pad->rowOf(pad->getHeightPoint(0, x));
        if (row < 0 || row >= padArea.height()) {
            continue;
        }
        if (!(shot.at(padArea.left + x, padArea.top + row) == colorWhite)) {
            ++missing;
        }
    }
    return missing;
}

std::set<std::pair<int, int>> whiteInPad(const Picture& shot) {
    std::set<std::pair<int, int>> found;
    for (int y = padArea.top; y < padArea.bottom; ++y) {
        for (int x = padArea.left; x < padArea.right; ++x) {
            if (shot.at(x, y) == colorWhite) {
                found.insert({x, y});
            }
        }
    }
    return found;
}

int countInPad(const Picture& shot, GuiColor colour) {
    int count = 0;
    for (int y = padArea.top; y < padArea.bottom; ++y) {
        for (int x = padArea.left; x < padArea.right; ++x) {
            count += shot.at(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

// The grey of the waveform's copy shifted by s columns.
GuiColor copyGrey(int s) {
    const auto g = static_cast<std::uint8_t>(225 - 15 * (s + 1));
    return {g, g, g, 0};
}

TEST(EditorPicture, KnobFramesAndPadCurvesFollowTheProgram) {
    EditorHarness h;
    ChorusEditor& editor = h.editor();
    const GuiBitmapBank& bank = editor.getBitmapBank();

    const auto expectKnobsAndWave = [&](const Picture& shot) {
        for (const GuiFilmstripKnob* knob :
             {editor.getFreqKnob(), editor.getDelayKnob(), editor.getStagesKnob()}) {
            EXPECT_EQ(knobMismatches(shot, knob, bank), 0) << "knob with tag " << knob->getTag();
        }
        EXPECT_EQ(missingWavePixels(shot, editor), 0);
    };

    const Picture first = h.picture();
    ASSERT_EQ(first.width, 238);
    ASSERT_EQ(first.height, 226);
    expectKnobsAndWave(first);
    // The factory program shows one stage: no grey copies right of the waveform's peaks.
    EXPECT_EQ(countInPad(first, copyGrey(1)), 0);

    // Wobble: 4 Hz and 4 ms; then four stages, which bring six grey copies.
    h.dispatch(opSelectProgram, 0, 1);
    h.setParameter(paramStages, 1.0f);
    const Picture second = h.picture();
    expectKnobsAndWave(second);
    EXPECT_NE(editor.getFreqKnob()->frameOffset(), 0);
    EXPECT_NE(whiteInPad(first), whiteInPad(second));
    for (int s = 1; s <= 6; ++s) {
        EXPECT_GT(countInPad(second, copyGrey(s)), 0) << "copy shifted " << s;
    }
}

TEST(EditorPicture, LitShapeButtonShowsItsOnImage) {
    EditorHarness h;
    const Picture shot = h.picture();
    const GuiButtonGroup* group = h.editor().getShapeButtons();
    ASSERT_EQ(group->litMember(), 1);
    const GuiBitmap* peak = h.editor().getBitmapBank().bitmapFor(ChorusEditor::bitmapShapePeak);
    const std::vector<GuiColor> pixels = bitmapPixels(peak);
    const int half = peak->getHeight() / 2;
    int onMatches = 0;
    int offMatches = 0;
    for (int y = 0; y < half; ++y) {
        for (int x = 0; x < peak->getWidth(); ++x) {
            const GuiColor seen = shot.at(90 + x, 121 + y);
            onMatches += seen == pixels[static_cast<std::size_t>((y + half) * peak->getWidth() + x)] ? 1 : 0;
            offMatches += seen == pixels[static_cast<std::size_t>(y * peak->getWidth() + x)] ? 1 : 0;
        }
    }
    EXPECT_EQ(onMatches, peak->getWidth() * half);
    EXPECT_LT(offMatches, onMatches);
}

} // namespace

} // namespace chorus::test
