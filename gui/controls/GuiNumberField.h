#pragma once

#include "gui/controls/GuiTextField.h"

namespace chorus {

// A text field whose text holds a number within the control's range. The control's value field holds
// the number itself, while getValue and setValue speak in normalised terms (0 at the minimum, 1 at the
// maximum). It is shown through a number converter; a click opens the edit window at once; with
// displayDragEdit, dragging up and down changes the value (finely with Shift; Ctrl at the press resets).
class GuiNumberField : public GuiTextField {
public:
    static constexpr float defaultDragStep = 0.01f;       // normalised change per pixel
    static constexpr float defaultFineDragStep = 0.0015f; // the same with Shift
    static constexpr std::int32_t defaultFontSize = 10;   // pixels

    GuiNumberField(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag, const char* text,
                   GuiBitmap* background, std::uint32_t style);

    void paint(GuiDrawContext& context) override;
    void onMouseDown(GuiDrawContext& context, GuiPoint where) override;
    // Takes the number of the text before the edit as the value, then closes the edit window.
    void focusLost(GuiDrawContext* context) override;
    // Reads the number from the text, clamps it and stores it; answers it normalised.
    float getValue() const override;
    // Stores minimum + (maximum - minimum) x normalised, clamped, and writes it as the text.
    void setValue(float normalised) override;
    // Stores the plain number converter.
    void setPlainValueConverter(PlainValueConverter converter) override;

    virtual void setNumberConverter(ValueConverter converter, void* data);
    virtual float getNumber();
    virtual void setNumber(float number);
    // Picks the last font of the toolkit table whose size is the given one (a size of 0 or less keeps
    // the stored size).
    virtual void setFontSize(std::int32_t size);
    virtual void setDragSteps(float coarse, float fine);
    virtual void dragBy(GuiDrawContext& context, std::int32_t x, std::int32_t y, std::int32_t previousX,
                        std::int32_t previousY);
    virtual void clampNumber(float& number) const;

    std::int32_t getFontSize() const noexcept { return fontSize; }
    bool wasDragged() const noexcept { return dragged; }

protected:
    ~GuiNumberField() override;
    // Only a text that holds a number: anything else leaves the field at the number it had.
    bool acceptsText(const char* edited) const override;

private:
    // Parses the text (normalising its decimal separator), clamps and stores the number.
    float readNumber();
    void storeNumber(float number);
    void setFrameCursor(std::int32_t shape);

    PlainValueConverter plainNumberConverter = nullptr;
    ValueConverter numberConverter = nullptr;
    void* numberConverterData = nullptr;
    float dragStep = defaultDragStep;
    float fineDragStep = defaultFineDragStep;
    std::int32_t fontSize = defaultFontSize;
    bool dragged = false;
};

} // namespace chorus
