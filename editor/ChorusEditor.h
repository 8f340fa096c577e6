#pragma once

#include "plugin/GuiEditorBase.h"

#include <array>
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
        tagCount = 11,
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

    GuiFilmstripKnob* getFreqKnob() const noexcept;
    GuiFilmstripKnob* getDelayKnob() const noexcept;
    GuiFilmstripKnob* getStagesKnob() const noexcept;
    GuiVerticalSlider* getMixSlider() const noexcept;
    GuiNumberField* getFreqField() const noexcept;
    GuiNumberField* getDelayField() const noexcept;
    GuiNumberField* getStagesField() const noexcept;
    GuiNumberField* getMixField() const noexcept;
    ChorusXYPad* getWavePad() const noexcept;
    GuiButtonGroup* getShapeButtons() const noexcept;
    int32_t getPadWidth() const noexcept { return padWidth; }
    int32_t getPadHeight() const noexcept { return padHeight; }
    const float* getWaveValues() const noexcept { return waveValues.get(); }
    const float* getRippleValues() const noexcept { return rippleValues.get(); }

protected:
    void showParamChange(int32_t index, float normalizedValue) override;

private:
    void forgetControls() noexcept;
    // Places a control made for its tag and keeps it, linked to the tag's parameter; false (and nothing
    // kept) when it could not be made or placed.
    bool placeBound(GuiControl* control, int32_t tag);
    GuiControl* controlAt(int32_t tag) const noexcept { return controls[static_cast<std::size_t>(tag)]; }
    // applyUserParam when the value, as the effect will store it, differs from the current one; with
    // quantiseFirst the stored step is what is sent.
    void sendToEffect(int32_t index, float value, bool quantiseFirst);
    float realValue(int32_t index) const;

    // The open frame's controls by tag (null where none is open or a control could not be made).
    std::array<GuiControl*, tagCount> controls{};
    std::unique_ptr<float[]> waveValues;
    std::unique_ptr<float[]> rippleValues;
    int32_t padWidth = 0;
    int32_t padHeight = 0;
};

} // namespace chorus
