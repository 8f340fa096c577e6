#include "plugin/GuiEditorBase.h"

#include "dsp/ParameterSet.h"
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
#include "gui/core/GuiBitmap.h"
#include "gui/core/GuiFrame.h"
#include "plugin/PluginBaseEx.h"
#include "plugin/VersionInfo.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace chorus {

namespace {

constexpr const char* versionFormat = "Version: %s";

// A two-state button bitmap holds both images, one above the other.
constexpr int32_t buttonStates = 2;

void writeEmpty(char* text, std::size_t size) {
    if (text != nullptr && size > 0) {
        text[0] = '\0';
    }
}

// Text converter: the datum is the field it belongs to.
void filterThroughEditor(char* text, std::size_t, char* display, std::size_t displaySize, void* data) {
    const auto* control = static_cast<const GuiControl*>(data);
    GuiEditorBase* editor = GuiEditorBase::editorOf(control);
    if (editor == nullptr) {
        writeEmpty(display, displaySize);
        return;
    }
    editor->textFilter(text, display, displaySize, control->getTag());
}

bool hasArea(const GuiRect& rect) {
    return rect.width() + rect.height() > 0;
}

template <typename Control>
Control* stored(Control** out, Control* control) {
    if (out != nullptr) {
        *out = control;
    }
    return control;
}

} // namespace

GuiEditorBase::GuiEditorBase(PluginBaseEx* owner, ParameterSet* parameterSet)
    : EditorBase(owner), parameters(parameterSet),
      changes(parameterSet != nullptr ? parameterSet->getCount() : 0) {
    if (effect != nullptr) {
        effect->setEditor(this);
    }
}

// The frame goes before anything its controls may call back into: a field that is still editing reports
// its text to this editor while the frame tears it down.
GuiEditorBase::~GuiEditorBase() {
    dropFrame();
    bitmaps.releaseAll();
}

void GuiEditorBase::dropFrame() noexcept {
    open = false;
    aboutSplash = nullptr;
    destroyFrame();
}

int32_t GuiEditorBase::openEditor(void* parentWindow) {
    // A second open without close would leave the first window and its controls behind.
    dropFrame();
    // From here on this thread shows changes at once; what others posted before is in the values the
    // controls read when they are made.
    changes.bindToCurrentThread();
    changes.clear();
    EditorBase::openEditor(parentWindow);
    const GuiRect bounds{0, 0, rect.right - rect.left, rect.bottom - rect.top};
    auto* made = new (std::nothrow)
        GuiFrame(bounds, static_cast<GuiWindowHandle>(parentWindow), this, zoomFor(parentWindow));
    if (made == nullptr) {
        return 0;
    }
    if (made->getWindow() == nullptr) {
        made->release();
        return 0;
    }
    frame = made;
    open = true;
    requestRedraw();
    return 1;
}

void GuiEditorBase::closeEditor() {
    dropFrame();
}

void GuiEditorBase::editorIdle() {
    if (!inPump && parameters != nullptr &&
        changes.take(*parameters, [this](int32_t index, float value) { showParamChange(index, value); })) {
        requestRedraw();
    }
    EditorBase::editorIdle();
    if (parameters != nullptr) {
        if (parameters->getResetHold() > 0) {
            parameters->lowerResetHold();
        }
        parameters->setResetPending(true);
    }
}

void GuiEditorBase::paramChanged(int32_t index, float value) {
    if (changes.onBoundThread()) {
        showParamChange(index, value);
    } else {
        changes.post(index, value);
    }
}

// Each value was reported on its own; from another thread the editor also reads them all again.
void GuiEditorBase::programLoaded() {
    if (!changes.onBoundThread()) {
        changes.postProgramChange();
    }
}

void GuiEditorBase::showParamChange(int32_t, float) {}

void GuiEditorBase::paramDataChanged(int32_t, const void*, int32_t) {}

void GuiEditorBase::sampleRateChanged(float) {}

void GuiEditorBase::controlChanged(GuiDrawContext&, GuiControl*) {}

int32_t GuiEditorBase::query() {
    return 0;
}

void GuiEditorBase::formatValue(float value, char* text, std::size_t size, int32_t) {
    if (text != nullptr && size > 0) {
        std::snprintf(text, size, "%.1f", static_cast<double>(value));
    }
}

int32_t GuiEditorBase::textFilter(const char* text, char* out, std::size_t size, int32_t) {
    if (out == nullptr || size == 0) {
        return 0;
    }
    const char* source = text != nullptr ? text : "";
    std::size_t length = std::strlen(source);
    if (length >= size) {
        length = size - 1;
    }
    std::memcpy(out, source, length);
    out[length] = '\0';
    return static_cast<int32_t>(length) + 1;
}

void GuiEditorBase::formatConverter(float value, char* text, std::size_t size, void* data) {
    const auto* control = static_cast<const GuiControl*>(data);
    GuiEditorBase* editor = editorOf(control);
    if (editor == nullptr) {
        writeEmpty(text, size);
        return;
    }
    editor->formatValue(value, text, size, control->getTag());
}

GuiEditorBase* GuiEditorBase::editorOf(const GuiControl* control) {
    if (control == nullptr || control->getOwnerFrame() == nullptr) {
        return nullptr;
    }
    return dynamic_cast<GuiEditorBase*>(control->getOwnerEditor());
}

bool GuiEditorBase::place(GuiView* view, int32_t tag, int32_t paramCount, const int32_t* params) {
    if (frame == nullptr) {
        // Nobody would own it.
        view->release();
        return false;
    }
    if (paramCount > 0 && params != nullptr) {
        frame->addLinkedChild(view, tag, paramCount, params);
    } else {
        frame->addChild(view);
    }
    if (!frame->hasChild(view)) {
        view->release();
        return false;
    }
    return true;
}

GuiToggleButton* GuiEditorBase::addToggleButton(GuiToggleButton** out, int32_t x, int32_t y, int32_t tag,
                                                int32_t bitmapId, int32_t paramCount, const int32_t* params) {
    return createToggleButton(out, x, y, tag, bitmapId, paramCount, params);
}

GuiToggleButton* GuiEditorBase::createToggleButton(GuiToggleButton** out, int32_t x, int32_t y, int32_t tag,
                                                   int32_t bitmapId, int32_t paramCount,
                                                   const int32_t* params) {
    GuiBitmap* bitmap = bitmaps.bitmapFor(bitmapId);
    const GuiRect area{x, y, x + bitmaps.widthOf(bitmapId), y + bitmaps.heightOf(bitmapId) / buttonStates};
    auto* button = new (std::nothrow) GuiToggleButton(area, this, tag, bitmap);
    if (button == nullptr || !place(button, tag, paramCount, params)) {
        return stored<GuiToggleButton>(out, nullptr);
    }
    return stored(out, button);
}

GuiMomentaryButton* GuiEditorBase::addMomentaryButton(GuiMomentaryButton** out, int32_t x, int32_t y,
                                                      int32_t tag, int32_t bitmapId, int32_t paramCount,
                                                      const int32_t* params) {
    return createMomentaryButton(out, x, y, tag, bitmapId, paramCount, params);
}

GuiMomentaryButton* GuiEditorBase::createMomentaryButton(GuiMomentaryButton** out, int32_t x, int32_t y,
                                                         int32_t tag, int32_t bitmapId, int32_t paramCount,
                                                         const int32_t* params) {
    GuiBitmap* bitmap = bitmaps.bitmapFor(bitmapId);
    const int32_t imageHeight = bitmaps.heightOf(bitmapId) / buttonStates;
    const GuiRect area{x, y, x + bitmaps.widthOf(bitmapId), y + imageHeight};
    auto* button =
        new (std::nothrow) GuiMomentaryButton(area, this, tag, imageHeight, bitmap, GuiPoint{0, 0});
    if (button == nullptr || !place(button, tag, paramCount, params)) {
        return stored<GuiMomentaryButton>(out, nullptr);
    }
    return stored(out, button);
}

GuiKnob* GuiEditorBase::addKnob(GuiKnob** out, int32_t left, int32_t top, int32_t right, int32_t bottom,
                                int32_t tag, int32_t handleId, int32_t backgroundId, int32_t paramCount,
                                const int32_t* params) {
    return createKnob(out, left, top, right - left, bottom - top, tag, handleId, backgroundId, paramCount,
                      params);
}

GuiKnob* GuiEditorBase::createKnob(GuiKnob** out, int32_t x, int32_t y, int32_t width, int32_t height,
                                   int32_t tag, int32_t handleId, int32_t backgroundId, int32_t paramCount,
                                   const int32_t* params) {
    GuiBitmap* background = backgroundId == -1 ? bitmaps.background() : bitmaps.bitmapFor(backgroundId);
    const int32_t backgroundWidth = background != nullptr ? background->getWidth() : 0;
    const int32_t backgroundHeight = background != nullptr ? background->getHeight() : 0;
    // A knob smaller than its background shows the part of it that lies under the knob.
    const GuiPoint origin =
        width < backgroundWidth && height < backgroundHeight ? GuiPoint{x, y} : GuiPoint{0, 0};
    auto* knob = new (std::nothrow) GuiKnob(GuiRect{x, y, x + width, y + height}, this, tag, background,
                                            bitmaps.bitmapFor(handleId), origin);
    if (knob == nullptr || !place(knob, tag, paramCount, params)) {
        return stored<GuiKnob>(out, nullptr);
    }
    return stored(out, knob);
}

GuiFilmstripKnob* GuiEditorBase::createFilmstripKnob(GuiFilmstripKnob** out, const GuiRect& area, int32_t tag,
                                                     GuiBitmap* strip, GuiPoint stripOrigin, bool addToFrame,
                                                     int32_t paramCount, const int32_t* params) {
    const int32_t frameHeight = area.height();
    const int32_t stripHeight = strip != nullptr ? strip->getHeight() : 0;
    const int32_t frameCount = frameHeight > 0 ? stripHeight / frameHeight : 0;
    auto* knob =
        new (std::nothrow) GuiFilmstripKnob(area, this, tag, frameCount, frameHeight, strip, stripOrigin);
    if (knob == nullptr) {
        return stored<GuiFilmstripKnob>(out, nullptr);
    }
    knob->setDrawsTransparent(true);
    if (addToFrame && !place(knob, tag, paramCount, params)) {
        return stored<GuiFilmstripKnob>(out, nullptr);
    }
    return stored(out, knob);
}

GuiVerticalSlider* GuiEditorBase::createVerticalSlider(GuiVerticalSlider** out, int32_t x, int32_t y,
                                                       int32_t tag, int32_t handleId, int32_t backgroundId,
                                                       bool addToFrame, int32_t paramCount,
                                                       const int32_t* params) {
    const int32_t handleHeight = bitmaps.heightOf(handleId);
    const int32_t backgroundHeight = bitmaps.heightOf(backgroundId);
    const GuiRect area{x, y, x + bitmaps.widthOf(handleId), y + backgroundHeight};
    auto* slider = new (std::nothrow) GuiVerticalSlider(
        area, this, tag, y, y + backgroundHeight - handleHeight, bitmaps.bitmapFor(handleId),
        bitmaps.bitmapFor(backgroundId), GuiPoint{0, 0}, sliderFromBottom);
    if (slider == nullptr) {
        return stored<GuiVerticalSlider>(out, nullptr);
    }
    if (addToFrame && !place(slider, tag, paramCount, params)) {
        return stored<GuiVerticalSlider>(out, nullptr);
    }
    return stored(out, slider);
}

GuiHorizontalSlider* GuiEditorBase::createHorizontalSlider(GuiHorizontalSlider** out, int32_t x, int32_t y,
                                                           int32_t tag, int32_t handleId,
                                                           int32_t backgroundId, bool addToFrame,
                                                           int32_t paramCount, const int32_t* params) {
    const int32_t handleWidth = bitmaps.widthOf(handleId);
    const int32_t backgroundWidth = bitmaps.widthOf(backgroundId);
    const GuiRect area{x, y, x + backgroundWidth, y + bitmaps.heightOf(handleId)};
    auto* slider = new (std::nothrow) GuiHorizontalSlider(
        area, this, tag, x, x + backgroundWidth - handleWidth, bitmaps.bitmapFor(handleId),
        bitmaps.bitmapFor(backgroundId), GuiPoint{0, 0}, sliderFromLeft);
    if (slider == nullptr) {
        return stored<GuiHorizontalSlider>(out, nullptr);
    }
    if (addToFrame && !place(slider, tag, paramCount, params)) {
        return stored<GuiHorizontalSlider>(out, nullptr);
    }
    return stored(out, slider);
}

GuiValueDisplay* GuiEditorBase::createValueDisplay(GuiValueDisplay** out, const GuiRect& area,
                                                   void (*toText)(float value, char* text,
                                                                  std::size_t size)) {
    auto* display = new (std::nothrow) GuiValueDisplay(area, nullptr, 0);
    if (display == nullptr) {
        return stored<GuiValueDisplay>(out, nullptr);
    }
    display->setTextFont(fieldFont);
    display->setPlainValueConverter(toText);
    if (!place(display, 0, 0, nullptr)) {
        return stored<GuiValueDisplay>(out, nullptr);
    }
    return stored(out, display);
}

GuiValueDisplay* GuiEditorBase::createFormattedDisplay(GuiValueDisplay** out, const GuiRect& area,
                                                       int32_t tag, bool addToFrame) {
    auto* display = new (std::nothrow) GuiValueDisplay(area, nullptr, 0);
    if (display == nullptr) {
        return stored<GuiValueDisplay>(out, nullptr);
    }
    display->setTextFont(fieldFont);
    display->setTag(tag);
    display->setValueConverter(GuiEditorBase::formatConverter, display);
    if (addToFrame && !place(display, tag, 0, nullptr)) {
        return stored<GuiValueDisplay>(out, nullptr);
    }
    return stored(out, display);
}

GuiNumberField* GuiEditorBase::createNumberField(GuiNumberField** out, const GuiRect& area, int32_t tag,
                                                 int32_t paramCount, const int32_t* params) {
    auto* field = new (std::nothrow) GuiNumberField(area, this, tag, "", nullptr, 0);
    if (field == nullptr) {
        return stored<GuiNumberField>(out, nullptr);
    }
    field->setTextFont(fieldFont);
    field->setNumberConverter(GuiEditorBase::formatConverter, field);
    if (!place(field, tag, paramCount, params)) {
        return stored<GuiNumberField>(out, nullptr);
    }
    return stored(out, field);
}

GuiTextField* GuiEditorBase::createTextField(GuiTextField** out, const GuiRect& area, int32_t tag,
                                             int32_t paramCount, const int32_t* params) {
    auto* field = new (std::nothrow) GuiTextField(area, this, tag, "", nullptr, 0);
    if (field == nullptr) {
        return stored<GuiTextField>(out, nullptr);
    }
    field->setTextFont(fieldFont);
    field->setTextConverter(filterThroughEditor, field);
    if (!place(field, tag, paramCount, params)) {
        return stored<GuiTextField>(out, nullptr);
    }
    return stored(out, field);
}

GuiAboutSplash* GuiEditorBase::addAboutSplash(const GuiRect& area, int32_t tag, int32_t bitmapId,
                                              const GuiRect& splashRect, GuiPoint splashOrigin,
                                              const GuiRect& versionArea, const GuiRect& noticeArea,
                                              GuiColor color, int32_t align) {
    aboutSplash = nullptr;
    auto* splash = new (std::nothrow)
        GuiAboutSplash(area, this, tag, bitmaps.bitmapFor(bitmapId), splashRect, splashOrigin);
    if (splash == nullptr || !place(splash, tag, 0, nullptr)) {
        return nullptr;
    }
    aboutSplash = splash;
    setAboutTexts(versionArea, noticeArea, color, align);
    return splash;
}

void GuiEditorBase::setAboutTexts(const GuiRect& versionArea, const GuiRect& noticeArea, GuiColor color,
                                  int32_t align) {
    if (aboutSplash == nullptr) {
        return;
    }
    const VersionInfo info;
    char value[lineSize] = {};
    char line[lineSize] = {};
    if (hasArea(versionArea)) {
        info.fileVersionText(value, sizeof value);
        std::snprintf(line, sizeof line, versionFormat, value);
        aboutSplash->setVersionText(line, versionArea, color, align);
    }
    if (hasArea(noticeArea)) {
        info.legalNoticeText(value, sizeof value);
        std::snprintf(line, sizeof line, "%s", value);
        aboutSplash->setNoticeText(line, noticeArea, color, align);
    }
}

} // namespace chorus
