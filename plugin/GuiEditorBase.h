#pragma once

#include "gui/controls/GuiBitmapBank.h"
#include "gui/core/GuiColor.h"
#include "gui/core/GuiControlListener.h"
#include "gui/core/GuiRect.h"
#include "plugin/EditorBase.h"
#include "plugin/ParamChangeMailbox.h"

#include <cstddef>
#include <cstdint>

namespace chorus {

class GuiAboutSplash;
class GuiBitmap;
class GuiFilmstripKnob;
class GuiHorizontalSlider;
class GuiKnob;
class GuiMomentaryButton;
class GuiNumberField;
class GuiTextField;
class GuiToggleButton;
class GuiValueDisplay;
class GuiVerticalSlider;
class GuiView;
class ParameterSet;

// Base of the bitmap-drawn editors: owns the frame while the editor is open and a bank of the module's
// bitmaps, listens to its controls, and makes bitmap controls placed in the frame. A control made with a
// parameter list is linked to those parameters, so the frame reports the user's gestures on them.
// Every factory stores the control through its first argument (null when it could not be made) and
// answers it; the frame owns what was added to it.
class GuiEditorBase : public EditorBase, public GuiControlListener {
public:
    static constexpr int32_t fieldFont = 6;      // small font of the value and text fields
    static constexpr std::size_t lineSize = 128; // bytes of one about line, terminator included

    GuiEditorBase(PluginBaseEx* effect, ParameterSet* parameters);
    ~GuiEditorBase() override;

    int32_t openEditor(void* parentWindow) override;
    void closeEditor() override;
    // Also shows the parameter changes other threads reported since the last idle.
    void editorIdle() override;
    // Any thread. On the window thread (the one that opened the editor) the change is shown at once;
    // from any other it is recorded and shown on the next idle, so no control is touched off that thread.
    void paramChanged(int32_t index, float normalizedValue) override;
    void programLoaded() override;
    void paramDataChanged(int32_t index, const void* bytes, int32_t size) override;
    void sampleRateChanged(float rate) override;
    void controlChanged(GuiDrawContext& context, GuiControl* control) override;

    virtual int32_t query();
    // Writes the text shown for a control's value into text (size bytes, terminator included).
    virtual void formatValue(float value, char* text, std::size_t size, int32_t tag);
    // Copies text into out (cut to size); answers the length written plus 1.
    virtual int32_t textFilter(const char* text, char* out, std::size_t size, int32_t tag);

    // Buttons: the bitmap holds the off image above the on image; x, y place its top-left corner.
    virtual GuiToggleButton* addToggleButton(GuiToggleButton** out, int32_t x, int32_t y, int32_t tag,
                                             int32_t bitmapId, int32_t paramCount, const int32_t* params);
    virtual GuiToggleButton* createToggleButton(GuiToggleButton** out, int32_t x, int32_t y, int32_t tag,
                                                int32_t bitmapId, int32_t paramCount, const int32_t* params);
    virtual GuiMomentaryButton* addMomentaryButton(GuiMomentaryButton** out, int32_t x, int32_t y,
                                                   int32_t tag, int32_t bitmapId, int32_t paramCount,
                                                   const int32_t* params);
    virtual GuiMomentaryButton* createMomentaryButton(GuiMomentaryButton** out, int32_t x, int32_t y,
                                                      int32_t tag, int32_t bitmapId, int32_t paramCount,
                                                      const int32_t* params);
    // A backgroundId of -1 takes the bank's background.
    virtual GuiKnob* addKnob(GuiKnob** out, int32_t left, int32_t top, int32_t right, int32_t bottom,
                             int32_t tag, int32_t handleId, int32_t backgroundId, int32_t paramCount,
                             const int32_t* params);
    virtual GuiKnob* createKnob(GuiKnob** out, int32_t x, int32_t y, int32_t width, int32_t height,
                                int32_t tag, int32_t handleId, int32_t backgroundId, int32_t paramCount,
                                const int32_t* params);
    // One frame of the strip is as high as the rectangle; the knob draws transparently.
    virtual GuiFilmstripKnob* createFilmstripKnob(GuiFilmstripKnob** out, const GuiRect& rect, int32_t tag,
                                                  GuiBitmap* strip, GuiPoint stripOrigin, bool addToFrame,
                                                  int32_t paramCount, const int32_t* params);
    virtual GuiVerticalSlider* createVerticalSlider(GuiVerticalSlider** out, int32_t x, int32_t y,
                                                    int32_t tag, int32_t handleId, int32_t backgroundId,
                                                    bool addToFrame, int32_t paramCount,
                                                    const int32_t* params);
    virtual GuiHorizontalSlider* createHorizontalSlider(GuiHorizontalSlider** out, int32_t x, int32_t y,
                                                        int32_t tag, int32_t handleId, int32_t backgroundId,
                                                        bool addToFrame, int32_t paramCount,
                                                        const int32_t* params);
    virtual GuiValueDisplay* createValueDisplay(GuiValueDisplay** out, const GuiRect& rect,
                                                void (*toText)(float value, char* text, std::size_t size));
    // Shows the value through formatValue with the display's tag.
    virtual GuiValueDisplay* createFormattedDisplay(GuiValueDisplay** out, const GuiRect& rect, int32_t tag,
                                                    bool addToFrame);
    virtual GuiNumberField* createNumberField(GuiNumberField** out, const GuiRect& rect, int32_t tag,
                                              int32_t paramCount, const int32_t* params);
    virtual GuiTextField* createTextField(GuiTextField** out, const GuiRect& rect, int32_t tag,
                                          int32_t paramCount, const int32_t* params);

    // area: the click area while closed; the picture fills splashRect from splashOrigin in the bitmap.
    virtual GuiAboutSplash* addAboutSplash(const GuiRect& area, int32_t tag, int32_t bitmapId,
                                           const GuiRect& splashRect, GuiPoint splashOrigin,
                                           const GuiRect& versionArea, const GuiRect& noticeArea,
                                           GuiColor color, int32_t align);
    // "Version: " and the module's file version, and its legal notice; a line whose area has no positive
    // width plus height is left unset.
    virtual void setAboutTexts(const GuiRect& versionArea, const GuiRect& noticeArea, GuiColor color,
                               int32_t align);

    // The converters' way back from a control to its editor: null without frame or for another editor.
    static GuiEditorBase* editorOf(const GuiControl* control);
    // A value converter whose datum is the control: its editor's formatValue with the control's tag, or an
    // empty text while the control has no frame.
    static void formatConverter(float value, char* text, std::size_t size, void* control);

    ParameterSet* getParameters() const noexcept { return parameters; }
    GuiAboutSplash* getAboutSplash() const noexcept { return aboutSplash; }
    const GuiBitmapBank& getBitmapBank() const noexcept { return bitmaps; }
    bool isOpen() const noexcept { return open; }

protected:
    // Moves the controls that show a parameter. Window thread only; concrete editors supply it.
    virtual void showParamChange(int32_t index, float normalizedValue);
    // Places a made control in the frame; with parameters, linked to them under tag.
    bool place(GuiView* view, int32_t tag, int32_t paramCount, const int32_t* params);
    // Closes the frame and forgets every control it owned.
    void dropFrame() noexcept;

    ParameterSet* parameters = nullptr;
    ParamChangeMailbox changes;
    GuiAboutSplash* aboutSplash = nullptr;
    GuiBitmapBank bitmaps;
    bool open = false;
};

} // namespace chorus
