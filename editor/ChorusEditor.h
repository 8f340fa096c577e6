#pragma once

#include "plugin/GuiEditorBase.h"

#include <cstdint>
#include <memory>

namespace chorus {

class ChorusXYPad;
class GuiButtonGroup;
class GuiFilmstripKnob;
class GuiNumberField;
class GuiVerticalSlider;

// The chorus's editor: 238 x 226 pixels of the module's bitmaps with knobs for Freq, Delay and Stages, a
// Mix slider, a number field per parameter but Shape, the Shape buttons, the pad that pictures the
// modulation and drags Freq and Delay together, and the about picture behind the title. User edits go to
// the effect, which reports every parameter change back through paramChanged; on the window thread that
// moves every control showing the parameter and redraws the picture at once, from other threads on the
// next idle.
class ChorusEditor : public GuiEditorBase {
public:
    // Resource ids of the bitmaps.
    enum BitmapId : int32_t {
        bitmapAbout = 1000,
        bitmapBackground = 1001,
        bitmapKnobStrip = 1002,
        bitmapSliderThumb = 1003,
        bitmapPad = 1004,
        bitmapField = 1005,
        bitmapMixField = 1006,
        bitmapShapeRamp = 1007,
        bitmapShapeSquare = 1008,
        bitmapShapePeak = 1009,
    };
    static constexpr int32_t bitmapCount = 10;

    // Control tags.
    enum Tag : int32_t {
        tagAbout = 0,
        tagFreqKnob = 1,
        tagDelayKnob = 2,
        tagStagesKnob = 3,
        tagMixSlider = 4,
        tagMixField = 5,
        tagFreqField = 6,
        tagDelayField = 7,
        tagStagesField = 8,
        tagPad = 9,
        tagShape = 10,
    };

    ChorusEditor(PluginBaseEx* effect, ParameterSet* parameters);
    ~ChorusEditor() override;

    int32_t openEditor(void* parentWindow) override;
    void closeEditor() override;
    void formatValue(float value, char* text, std::size_t size, int32_t tag) override;
    void controlChanged(GuiDrawContext& context, GuiControl* control) override;

    // A number field for a parameter, in the parameter's own unit and range.
    GuiNumberField* addParameterField(const GuiRect& rect, int32_t tag, int32_t parameter,
                                      int32_t backgroundId);
    // Recomputes the pad's curves from Freq, Delay, Stages and Shape.
    void updateWavePicture();
    // The waveform's height at pad column x, as a fraction of the pad's height.
    float waveHeightAt(int32_t x) const;
    // The ripple factor (0 to 1) at pad column x.
    float rippleAt(int32_t x) const;

    GuiFilmstripKnob* getFreqKnob() const noexcept { return freqKnob; }
    GuiFilmstripKnob* getDelayKnob() const noexcept { return delayKnob; }
    GuiFilmstripKnob* getStagesKnob() const noexcept { return stagesKnob; }
    GuiVerticalSlider* getMixSlider() const noexcept { return mixSlider; }
    GuiNumberField* getFreqField() const noexcept { return freqField; }
    GuiNumberField* getDelayField() const noexcept { return delayField; }
    GuiNumberField* getStagesField() const noexcept { return stagesField; }
    GuiNumberField* getMixField() const noexcept { return mixField; }
    ChorusXYPad* getWavePad() const noexcept { return wavePad; }
    GuiButtonGroup* getShapeButtons() const noexcept { return shapeButtons; }
    int32_t getPadWidth() const noexcept { return padWidth; }
    int32_t getPadHeight() const noexcept { return padHeight; }
    const float* getWaveValues() const noexcept { return waveValues.get(); }
    const float* getRippleValues() const noexcept { return rippleValues.get(); }

protected:
    void showParamChange(int32_t index, float normalizedValue) override;

private:
    void forgetControls() noexcept;
    // applyUserParam when the value, as the effect will store it, differs from the current one; with
    // quantiseFirst the stored step is what is sent.
    void sendToEffect(int32_t index, float value, bool quantiseFirst);
    float realValue(int32_t index) const;

    GuiFilmstripKnob* freqKnob = nullptr;
    GuiFilmstripKnob* delayKnob = nullptr;
    GuiFilmstripKnob* stagesKnob = nullptr;
    GuiVerticalSlider* mixSlider = nullptr;
    GuiNumberField* freqField = nullptr;
    GuiNumberField* delayField = nullptr;
    GuiNumberField* stagesField = nullptr;
    GuiNumberField* mixField = nullptr;
    ChorusXYPad* wavePad = nullptr;
    GuiButtonGroup* shapeButtons = nullptr;
    std::unique_ptr<float[]> waveValues;
    std::unique_ptr<float[]> rippleValues;
    int32_t padWidth = 0;
    int32_t padHeight = 0;
};

} // namespace chorus
