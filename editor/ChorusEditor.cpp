#include "editor/ChorusEditor.h"

#include "dsp/ChorusParameterSet.h"
#include "dsp/WaveShape.h"
#include "editor/ChorusXYPad.h"
#include "gui/controls/GuiAboutSplash.h"
#include "gui/controls/GuiButtonGroup.h"
#include "gui/controls/GuiFilmstripKnob.h"
#include "gui/controls/GuiNumberField.h"
#include "gui/controls/GuiSlider.h"
#include "gui/controls/GuiVerticalSlider.h"
#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiDrawContext.h"
#include "gui/core/GuiFrame.h"
#include "plugin/PluginBaseEx.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <new>
#include <utility>

namespace chorus {

namespace {

// The editor's size when the background bitmap cannot tell it.
constexpr int32_t nominalWidth = 238;
constexpr int32_t nominalHeight = 226;

constexpr GuiRect titleArea{11, 7, 75, 22};
constexpr GuiRect versionArea{75, 175, 175, 190};
constexpr GuiRect noticeArea{0, 0, 0, 0}; // no notice line
constexpr GuiRect freqKnobArea{19, 161, 61, 203};
constexpr GuiRect delayKnobArea{69, 161, 111, 203};
constexpr GuiRect stagesKnobArea{119, 161, 161, 203};
constexpr GuiRect mixSliderArea{195, 54, 207, 196};
constexpr GuiRect freqFieldArea{16, 146, 63, 158};
constexpr GuiRect delayFieldArea{66, 146, 113, 158};
constexpr GuiRect stagesFieldArea{116, 146, 163, 158};
constexpr GuiRect mixFieldArea{187, 38, 214, 49};
constexpr GuiRect padArea{13, 31, 159, 115};
constexpr GuiRect shapeArea{52, 121, 161, 136};

constexpr float stagesWheelStep = 0.25f;
constexpr int32_t padStyle = padShowCurveA | padShowCurveB;
// Members in the order of the Shape values: ramp, peak (the sine setting), trapezoid.
constexpr std::array<int32_t, shapeCount> shapeX{52, 90, 128};
constexpr std::array<int32_t, shapeCount> shapeY{121, 121, 121};

// Heights of the picture, as fractions of the pad's height.
constexpr float trapezoidHigh = 0.95f;
constexpr float trapezoidLow = 0.02f;
constexpr float rampPeakAt = 0.95f; // where in its cycle the ramp turns
constexpr float sinePeakAt = 0.5f;
constexpr int32_t headroom = 3; // pixels a peak stays below the top of the pad

// Ripple of the second curve: sin(x * (rippleBase - rippleDelay * Delay ms) / rippleSpan) squared.
constexpr float rippleBase = 110.0f;
constexpr float rippleDelay = 20.0f;
constexpr float rippleSpan = 150.0f;

int32_t truncated(float value) {
    return static_cast<int32_t>(value);
}

// The parameter each control edits and shows: the one place that relates them. The pad is not here: it
// edits Freq (x) and Delay (y) together, and its gestures go out under the two knobs' tags.
struct Binding {
    int32_t tag;
    int32_t parameter;
    bool quantise; // the stored step is what the host hears (a knob between two stages, a typed 2.6)
};
constexpr std::array<Binding, 9> bindings{{
    {ChorusEditor::tagFreqKnob, paramFreq, false},
    {ChorusEditor::tagDelayKnob, paramDelay, false},
    {ChorusEditor::tagStagesKnob, paramStages, true},
    {ChorusEditor::tagMixSlider, paramMix, false},
    {ChorusEditor::tagMixField, paramMix, false},
    {ChorusEditor::tagFreqField, paramFreq, false},
    {ChorusEditor::tagDelayField, paramDelay, false},
    {ChorusEditor::tagStagesField, paramStages, true},
    {ChorusEditor::tagShape, paramShape, false},
}};

const Binding* bindingOf(int32_t tag) {
    const auto found =
        std::find_if(bindings.begin(), bindings.end(), [tag](const Binding& b) { return b.tag == tag; });
    return found != bindings.end() ? &*found : nullptr;
}

} // namespace

ChorusEditor::ChorusEditor(PluginBaseEx* owner, ParameterSet* parameterSet)
    : GuiEditorBase(owner, parameterSet) {
    bitmaps.load(bitmapAbout, bitmapCount, bitmapBackground);
    int32_t width = bitmaps.widthOf(bitmapBackground);
    int32_t height = bitmaps.heightOf(bitmapBackground);
    if (width <= 0 || height <= 0) {
        width = nominalWidth;
        height = nominalHeight;
    }
    rect = EditorRect{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
    padWidth = bitmaps.widthOf(bitmapPad);
    padHeight = bitmaps.heightOf(bitmapPad);
    const auto entries = static_cast<std::size_t>(padWidth > 0 ? padWidth : 0);
    waveValues = std::make_unique<float[]>(entries);
    rippleValues = std::make_unique<float[]>(entries);
    open = false;
}

ChorusEditor::~ChorusEditor() {
    // The controls call back into this editor while the frame goes (a field still editing reports its
    // text): they must go while it is whole.
    forgetControls();
    dropFrame();
}

void ChorusEditor::forgetControls() noexcept {
    controls.fill(nullptr);
}

bool ChorusEditor::placeBound(GuiControl* control, int32_t tag) {
    if (control == nullptr) {
        return false;
    }
    const Binding* binding = bindingOf(tag);
    if (!place(control, tag, binding != nullptr ? 1 : 0,
               binding != nullptr ? &binding->parameter : nullptr)) {
        return false;
    }
    controls[static_cast<std::size_t>(tag)] = control;
    return true;
}

GuiFilmstripKnob* ChorusEditor::getFreqKnob() const noexcept {
    return static_cast<GuiFilmstripKnob*>(controlAt(tagFreqKnob));
}
GuiFilmstripKnob* ChorusEditor::getDelayKnob() const noexcept {
    return static_cast<GuiFilmstripKnob*>(controlAt(tagDelayKnob));
}
GuiFilmstripKnob* ChorusEditor::getStagesKnob() const noexcept {
    return static_cast<GuiFilmstripKnob*>(controlAt(tagStagesKnob));
}
GuiVerticalSlider* ChorusEditor::getMixSlider() const noexcept {
    return static_cast<GuiVerticalSlider*>(controlAt(tagMixSlider));
}
GuiNumberField* ChorusEditor::getFreqField() const noexcept {
    return static_cast<GuiNumberField*>(controlAt(tagFreqField));
}
GuiNumberField* ChorusEditor::getDelayField() const noexcept {
    return static_cast<GuiNumberField*>(controlAt(tagDelayField));
}
GuiNumberField* ChorusEditor::getStagesField() const noexcept {
    return static_cast<GuiNumberField*>(controlAt(tagStagesField));
}
GuiNumberField* ChorusEditor::getMixField() const noexcept {
    return static_cast<GuiNumberField*>(controlAt(tagMixField));
}
ChorusXYPad* ChorusEditor::getWavePad() const noexcept {
    return static_cast<ChorusXYPad*>(controlAt(tagPad));
}
GuiButtonGroup* ChorusEditor::getShapeButtons() const noexcept {
    return static_cast<GuiButtonGroup*>(controlAt(tagShape));
}

int32_t ChorusEditor::openEditor(void* parentWindow) {
    // The base replaces the frame of an earlier open; that frame's controls are forgotten first.
    forgetControls();
    if (GuiEditorBase::openEditor(parentWindow) == 0) {
        return 0;
    }
    const GuiRect bounds{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    frame->setBackgroundBitmap(bitmaps.bitmapFor(bitmapBackground));

    addAboutSplash(titleArea, tagAbout, bitmapAbout, GuiRect{0, 0, bounds.right, bounds.bottom},
                   GuiPoint{0, 0}, versionArea, noticeArea, colorWhite, alignLeft);

    GuiBitmap* strip = bitmaps.bitmapFor(bitmapKnobStrip);
    for (const auto& [tag, area] :
         {std::pair{tagFreqKnob, freqKnobArea}, std::pair{tagDelayKnob, delayKnobArea},
          std::pair{tagStagesKnob, stagesKnobArea}}) {
        GuiFilmstripKnob* knob = nullptr;
        createFilmstripKnob(&knob, area, tag, strip, GuiPoint{0, 0}, false, 0, nullptr);
        placeBound(knob, tag);
    }
    if (GuiFilmstripKnob* stagesKnob = getStagesKnob()) {
        stagesKnob->setWheelStep(stagesWheelStep);
    }

    const GuiBitmap* thumb = bitmaps.bitmapFor(bitmapSliderThumb);
    const int32_t thumbHeight = thumb != nullptr ? thumb->getHeight() : 0;
    placeBound(new (std::nothrow) GuiVerticalSlider(
                   mixSliderArea, this, tagMixSlider, mixSliderArea.top, mixSliderArea.bottom - thumbHeight,
                   bitmaps.bitmapFor(bitmapSliderThumb), bitmaps.bitmapFor(bitmapBackground),
                   GuiPoint{mixSliderArea.left, mixSliderArea.top}, sliderFromBottom),
               tagMixSlider);

    addParameterField(freqFieldArea, tagFreqField, paramFreq, bitmapField);
    addParameterField(delayFieldArea, tagDelayField, paramDelay, bitmapField);
    addParameterField(stagesFieldArea, tagStagesField, paramStages, bitmapField);
    addParameterField(mixFieldArea, tagMixField, paramMix, bitmapMixField);

    if (auto* pad =
            new (std::nothrow) ChorusXYPad(padArea, this, tagPad, bitmaps.bitmapFor(bitmapPad), padStyle)) {
        pad->setCurveScale(1.0f);
        pad->setTags(tagFreqKnob, tagDelayKnob);
        pad->setCurveColor(1, colorWhite);
        placeBound(pad, tagPad);
    }

    const std::array<GuiBitmap*, shapeCount> shapeBitmaps{bitmaps.bitmapFor(bitmapShapeRamp),
                                                          bitmaps.bitmapFor(bitmapShapePeak),
                                                          bitmaps.bitmapFor(bitmapShapeSquare)};
    placeBound(new (std::nothrow) GuiButtonGroup(shapeArea, this, tagShape, shapeCount, shapeX.data(),
                                                 shapeY.data(), shapeBitmaps.data()),
               tagShape);

    if (parameters != nullptr) {
        for (const int32_t index : {paramFreq, paramDelay, paramStages, paramMix, paramShape}) {
            paramChanged(index, parameters->getNormalizedValue(index));
        }
    }
    return 1;
}

void ChorusEditor::closeEditor() {
    // Cleared first: a field that is still editing reports its text while the frame goes, and the value
    // must reach the effect without touching controls that are on their way out.
    forgetControls();
    dropFrame();
}

GuiNumberField* ChorusEditor::addParameterField(const GuiRect& area, int32_t tag, int32_t parameter,
                                                int32_t backgroundId) {
    auto* field = new (std::nothrow) GuiNumberField(area, this, tag, "", bitmaps.bitmapFor(backgroundId), 0);
    if (field == nullptr) {
        return nullptr;
    }
    field->setTextFont(fieldFont);
    const ParameterRecord* record = parameters != nullptr ? parameters->getRecord(parameter) : nullptr;
    if (record != nullptr) {
        field->setMinimum(record->minimum);
        field->setMaximum(record->maximum);
    }
    field->setNumberConverter(formatConverter, field);
    return placeBound(field, tag) ? field : nullptr;
}

void ChorusEditor::formatValue(float value, char* text, std::size_t size, int32_t tag) {
    if (text == nullptr || size == 0) {
        return;
    }
    switch (tag) {
    case tagMixField:
        std::snprintf(text, size, "%d%%", static_cast<int>(truncated(value + 0.5f)));
        break;
    case tagFreqField:
        std::snprintf(text, size, "%.2fHz", static_cast<double>(value));
        break;
    case tagDelayField:
        std::snprintf(text, size, "%.2fms", static_cast<double>(value));
        break;
    case tagStagesField:
        std::snprintf(text, size, "%d", static_cast<int>(truncated(value + 0.5f)));
        break;
    default:
        break;
    }
}

void ChorusEditor::showParamChange(int32_t index, float value) {
    if (parameters == nullptr || !open) {
        return;
    }
    for (const Binding& binding : bindings) {
        if (binding.parameter == index && controlAt(binding.tag) != nullptr) {
            controlAt(binding.tag)->setValue(value);
        }
    }
    if (ChorusXYPad* pad = getWavePad()) {
        if (index == paramFreq) {
            pad->setValueX(value);
        } else if (index == paramDelay) {
            pad->setValueY(value);
        }
    }
    // Everything but Mix shapes the pad's picture.
    if (index == paramFreq || index == paramDelay || index == paramStages || index == paramShape) {
        updateWavePicture();
    }
    requestRedraw();
}

void ChorusEditor::controlChanged(GuiDrawContext& context, GuiControl* control) {
    if (control == nullptr || effect == nullptr) {
        return;
    }
    if (const Binding* binding = bindingOf(control->getTag())) {
        sendToEffect(binding->parameter, control->getValue(), binding->quantise);
    } else if (control->getTag() == tagPad) {
        if (auto* pad = dynamic_cast<GuiXYPad*>(control)) {
            const float x = pad->getValueX();
            const float y = pad->getValueY();
            sendToEffect(paramFreq, x, false);
            sendToEffect(paramDelay, y, false);
        }
    }
    control->repaintIfNeeded(context);
}

void ChorusEditor::sendToEffect(int32_t index, float value, bool quantiseFirst) {
    if (parameters == nullptr) {
        effect->applyUserParam(index, value);
        return;
    }
    // A control reports every move, also those that land on the value the effect already has (a knob
    // between two stages, a pad moved along one axis): only a change reaches the effect and the host.
    const float stepped = parameters->toNormalized(index, parameters->toReal(index, value));
    if (stepped == parameters->getNormalizedValue(index)) {
        // The control may still show what it was given (a typed 2.6 for stage 3): back to the value.
        paramChanged(index, stepped);
        return;
    }
    if (quantiseFirst) {
        parameters->setNormalizedValue(index, value);
        value = stepped;
    }
    effect->applyUserParam(index, value);
}

float ChorusEditor::realValue(int32_t index) const {
    return parameters != nullptr ? parameters->getRealValue(index) : 0.0f;
}

void ChorusEditor::updateWavePicture() {
    if (padWidth < 1) {
        return;
    }
    for (int32_t x = 0; x + 1 < padWidth; ++x) {
        const float a = waveHeightAt(x);
        waveValues[static_cast<std::size_t>(x)] = a;
        rippleValues[static_cast<std::size_t>(x)] = a * rippleAt(x);
    }
    waveValues[static_cast<std::size_t>(padWidth - 1)] = 0.0f;
    rippleValues[static_cast<std::size_t>(padWidth - 1)] = 0.0f;
    if (ChorusXYPad* pad = getWavePad()) {
        pad->setStageCount(truncated(realValue(paramStages)));
        pad->setShapeIndex(truncated(realValue(paramShape)));
        pad->setCurveHeights(0, waveValues.get(), padWidth - 1);
        pad->setCurveHeights(1, rippleValues.get(), padWidth - 1);
    }
}

float ChorusEditor::waveHeightAt(int32_t x) const {
    const int32_t cycles = truncated(realValue(paramFreq)) + 1;
    const int32_t shape = truncated(realValue(paramShape));
    if (cycles < 1 || padHeight <= 0) {
        return 0.0f;
    }
    if (shape == shapeTrapezoid) {
        const int32_t seg = padWidth / cycles;
        const int32_t half = truncated(static_cast<float>(seg) * 0.5f);
        if (x == 0) {
            return trapezoidLow;
        }
        for (int32_t i = 1; i <= cycles; ++i) {
            if (x <= i * seg) {
                return x <= (i - 1) * seg + half ? trapezoidHigh : trapezoidLow;
            }
        }
        return 0.0f;
    }
    int32_t seg = truncated(static_cast<float>(padWidth) / static_cast<float>(cycles) - 0.5f);
    if (cycles <= 2) {
        seg -= 1;
    }
    const int32_t peak = truncated(static_cast<float>(seg) * (shape == shapeSine ? sinePeakAt : rampPeakAt));
    // A pad too narrow for its cycles has no slope to draw.
    if (seg <= 0 || peak <= 0) {
        return 0.0f;
    }
    const auto top = static_cast<float>(padHeight - headroom);
    const auto height = static_cast<float>(padHeight);
    const float rise = top / static_cast<float>(peak);
    const float fall = peak == seg ? 0.0f : -top / static_cast<float>(seg - peak);
    for (int32_t i = 1; i <= cycles; ++i) {
        if (x <= i * seg) {
            if (x > (i - 1) * seg + peak && fall != 0.0f) {
                return static_cast<float>(x - i * seg) * fall / height;
            }
            return static_cast<float>(x - (i - 1) * seg) * rise / height;
        }
    }
    return 0.0f;
}

float ChorusEditor::rippleAt(int32_t x) const {
    const float s =
        std::sin(static_cast<float>(x) * (rippleBase - rippleDelay * realValue(paramDelay)) / rippleSpan);
    return s * s;
}

} // namespace chorus
