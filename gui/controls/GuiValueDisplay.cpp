#include "gui/controls/GuiValueDisplay.h"

#include "gui/controls/GuiBlit.h"
#include "gui/controls/GuiNumberText.h"

namespace chorus {

namespace {

bool sameRgb(GuiColor a, GuiColor b) noexcept {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

} // namespace

GuiValueDisplay::GuiValueDisplay(const GuiRect& rect, GuiBitmap* background, std::uint32_t style)
    : GuiValueDisplay(rect, nullptr, 0, background, style) {}

GuiValueDisplay::GuiValueDisplay(const GuiRect& rect, GuiControlListener* changeListener,
                                 std::int32_t controlTag, GuiBitmap* background, std::uint32_t style)
    : GuiControl(rect, changeListener, controlTag, background), displayStyle(style) {
    if ((displayStyle & displayHidden) != 0) {
        setNeedsRedraw(false);
    }
}

GuiValueDisplay::~GuiValueDisplay() = default;

void GuiValueDisplay::paint(GuiDrawContext& context) {
    char text[guiDisplayBufferSize] = "";
    if (valueConverter != nullptr) {
        valueConverter(value, text, sizeof text, converterData);
    } else if (plainValueConverter != nullptr) {
        plainValueConverter(value, text, sizeof text);
    } else {
        formatFixed(text, sizeof text, value, 2);
    }
    // A converter that forgot the terminator must not make the box print past its buffer.
    text[sizeof text - 1] = '\0';
    paintText(context, text);
}

void GuiValueDisplay::paintText(GuiDrawContext& context, const char* text) {
    setNeedsRedraw(false);
    if ((displayStyle & displayHidden) != 0) {
        return;
    }
    const bool inset = (displayStyle & displayInsetBorder) != 0;
    const bool outset = (displayStyle & displayOutsetBorder) != 0;
    if (backgroundBitmap != nullptr) {
        blitBitmap(backgroundBitmap, context, bounds, backgroundOffset, drawsTransparent());
    } else if (!drawsTransparent()) {
        context.setBrushColor(fillColor);
        context.fillRectInterior(bounds);
        if (!inset && !outset) {
            context.setPenColor(borderColor);
            context.outlineRect(bounds);
        }
    }
    if (inset || outset) {
        context.setPenColor(inset ? fillColor : borderColor);
        context.movePenTo(GuiPoint{bounds.left, bounds.bottom});
        context.drawLineTo(GuiPoint{bounds.left, bounds.top});
        context.drawLineTo(GuiPoint{bounds.right + 1, bounds.top});
        context.setPenColor(inset ? borderColor : fillColor);
        context.movePenTo(GuiPoint{bounds.right, bounds.top + 1});
        context.drawLineTo(GuiPoint{bounds.right, bounds.bottom});
        context.drawLineTo(GuiPoint{bounds.left, bounds.bottom});
    }
    if ((displayStyle & displayNoText) != 0) {
        return;
    }
    context.selectFont(textFont, 0, fontStyle);
    if ((displayStyle & displayShadowed) != 0) {
        context.setInkColor(textShadowColor);
        context.printText(text, bounds.offsetBy(GuiPoint{1, 1}), !textTransparent, alignment);
    }
    context.setInkColor(textColor);
    context.printText(text, bounds, !textTransparent, alignment);
}

void GuiValueDisplay::setTextFont(FontId font) {
    if (font != textFont) {
        setNeedsRedraw(true);
    }
    textFont = font;
}

void GuiValueDisplay::setTextColor(GuiColor color) {
    if (!sameRgb(color, textColor)) {
        setNeedsRedraw(true);
    }
    textColor = color;
}

void GuiValueDisplay::setFillColor(GuiColor color) {
    if (!sameRgb(color, fillColor)) {
        setNeedsRedraw(true);
    }
    fillColor = color;
}

void GuiValueDisplay::setBorderColor(GuiColor color) {
    if (!sameRgb(color, borderColor)) {
        setNeedsRedraw(true);
    }
    borderColor = color;
}

void GuiValueDisplay::setTextShadowColor(GuiColor color) {
    if (!sameRgb(color, textShadowColor)) {
        setNeedsRedraw(true);
    }
    textShadowColor = color;
}

void GuiValueDisplay::setAlignment(std::int32_t align) {
    if (align != alignment) {
        setNeedsRedraw(true);
    }
    alignment = align;
}

void GuiValueDisplay::setBackgroundOffset(GuiPoint offset) {
    backgroundOffset = offset;
}

void GuiValueDisplay::setValueConverter(ValueConverter converter, void* data) {
    valueConverter = converter;
    converterData = data;
}

void GuiValueDisplay::setPlainValueConverter(PlainValueConverter converter) {
    plainValueConverter = converter;
}

void GuiValueDisplay::setDisplayStyle(std::uint32_t style) {
    if (style != displayStyle) {
        displayStyle = style;
        setNeedsRedraw(true);
    }
}

void GuiValueDisplay::setFontStyle(std::int32_t style) {
    if (style != fontStyle) {
        setNeedsRedraw(true);
    }
    fontStyle = style;
}

void GuiValueDisplay::setTextTransparent(bool transparentText) {
    textTransparent = transparentText;
}

} // namespace chorus
