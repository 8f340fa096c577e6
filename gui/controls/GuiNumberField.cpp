#include "gui/controls/GuiNumberField.h"

#include "gui/controls/GuiEditGesture.h"
#include "gui/core/GuiControlListener.h"
#include "gui/core/GuiFrame.h"

namespace chorus {

GuiNumberField::GuiNumberField(const GuiRect& rect, GuiControlListener* changeListener,
                               std::int32_t controlTag, const char* initialText, GuiBitmap* background,
                               std::uint32_t style)
    : GuiTextField(rect, changeListener, controlTag, initialText, background, style) {
    plainTextConverter = reformatNumberText;
}

GuiNumberField::~GuiNumberField() = default;

void GuiNumberField::clampNumber(float& number) const {
    if (number > maximum) {
        number = maximum;
    } else if (number < minimum) {
        number = minimum;
    }
}

float GuiNumberField::readNumber() {
    float number = parseNumberText(text);
    clampNumber(number);
    value = number;
    return number;
}

float GuiNumberField::getValue() const {
    // Reading refreshes the stored number from the text, as the field's value model has it.
    const float number = const_cast<GuiNumberField*>(this)->readNumber();
    // An empty range has no position in it: answer its start rather than divide by zero.
    if (maximum == minimum) {
        return 0.0f;
    }
    return (number - minimum) / (maximum - minimum);
}

float GuiNumberField::getNumber() {
    return readNumber();
}

void GuiNumberField::storeNumber(float number) {
    clampNumber(number);
    value = number;
    char numberText[guiNumberTextSize] = "";
    if (plainNumberConverter != nullptr) {
        plainNumberConverter(number, numberText, sizeof numberText);
    } else if (numberConverter != nullptr) {
        numberConverter(number, numberText, sizeof numberText, numberConverterData);
    } else {
        // Without a converter the text still has to read back as the number.
        formatShortest(numberText, sizeof numberText, number);
    }
    numberText[sizeof numberText - 1] = '\0';
    setText(numberText);
}

void GuiNumberField::setValue(float normalised) {
    storeNumber(minimum + (maximum - minimum) * normalised);
}

void GuiNumberField::setNumber(float number) {
    storeNumber(number);
}

void GuiNumberField::setPlainValueConverter(PlainValueConverter converter) {
    plainNumberConverter = converter;
}

void GuiNumberField::setNumberConverter(ValueConverter converter, void* data) {
    numberConverter = converter;
    numberConverterData = data;
}

void GuiNumberField::setFontSize(std::int32_t size) {
    if (size > 0) {
        fontSize = size;
    }
    for (FontId id = 0; id < fontIdCount; ++id) {
        if (GuiDrawContext::fontDefaultSize(id) == fontSize) {
            setTextFont(id);
        }
    }
}

void GuiNumberField::setDragSteps(float coarse, float fine) {
    dragStep = coarse;
    fineDragStep = fine;
}

void GuiNumberField::paint(GuiDrawContext& context) {
    char display[guiDisplayBufferSize] = "";
    if (plainNumberConverter != nullptr) {
        plainNumberConverter(value, display, sizeof display);
    } else if (numberConverter != nullptr) {
        numberConverter(value, display, sizeof display, numberConverterData);
    } else {
        formatFixed(display, sizeof display, value, 2);
    }
    display[sizeof display - 1] = '\0';
    paintText(context, display);
}

void GuiNumberField::dragBy(GuiDrawContext& context, std::int32_t, std::int32_t y, std::int32_t,
                            std::int32_t previousY) {
    const float current = getValue();
    const std::int32_t state = context.readMouseState();
    float next = 0.0f;
    if (state == (mousePrimary | keyControl)) {
        next = getResetValue();
    } else {
        const float stepPerPixel = state == (mousePrimary | keyShift) ? fineDragStep : dragStep;
        // Moving up (y decreasing) raises the value.
        next = current - static_cast<float>(y - previousY) * stepPerPixel;
    }
    setValue(next);
    dragged = true;
}

void GuiNumberField::setFrameCursor(std::int32_t shape) {
    // A frame without a window has no cursor to change.
    if (ownerFrame != nullptr && ownerFrame->getWindow() != nullptr) {
        ownerFrame->setCursorShape(shape);
    }
}

void GuiNumberField::onMouseDown(GuiDrawContext& context, GuiPoint where) {
    dragged = false;
    if (!acceptsMouse()) {
        return;
    }
    const std::int32_t state = context.readMouseState();
    const GuiEditGesture gesture(*this);
    if ((state & mousePrimary) == 0) {
        return;
    }
    if ((displayStyle & displayDragEdit) != 0 && ownerFrame != nullptr &&
        ownerFrame->getFocusChild() == nullptr) {
        if ((state & keyControl) != 0) {
            setValue(getResetValue());
        }
        setFrameCursor(cursorResizeNS);
        repaintIfNeeded(context);
        do {
            GuiPoint p;
            context.readCursorPosition(p);
            if (p != where) {
                dragBy(context, p.h, p.v, where.h, where.v);
                where = p;
                repaintIfNeeded(context);
                if (listener != nullptr) {
                    listener->controlChanged(context, this);
                }
            }
            requestIdle();
        } while ((context.readMouseState() & mousePrimary) != 0);
        if (listener != nullptr) {
            listener->controlChanged(context, this);
        }
    }
    if (ownerFrame == nullptr) {
        return;
    }
    setFrameCursor(cursorDefault);
    GuiPoint p;
    context.readCursorPosition(p);
    if (bounds.contains(p) && ownerFrame->getFocusChild() != this && (state & keyControl) == 0 && !dragged) {
        ownerFrame->setFocusChild(this);
        focusGained(&context);
    }
}

bool GuiNumberField::acceptsText(const char* edited) const {
    return holdsNumber(edited);
}

void GuiNumberField::focusLost(GuiDrawContext* context) {
    readNumber();
    GuiTextField::focusLost(context);
}

} // namespace chorus
