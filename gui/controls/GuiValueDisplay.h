#pragma once

#include "gui/core/GuiColor.h"
#include "gui/core/GuiControl.h"
#include "gui/core/GuiDrawContext.h"

#include <cstddef>

namespace chorus {

// Display style bits shared by the value display, the text field and the number field.
enum DisplayStyle : std::uint32_t {
    displayShadowed = 0x4, // text printed twice, first one pixel down and right in the shadow colour
    displayInsetBorder =
        0x80, // bevel: top and left in the fill colour, bottom and right in the border colour
    displayOutsetBorder = 0x100,       // bevel the other way round (when the inset bit is clear)
    displayNoText = 0x800,             // box only
    displayHidden = 0x1000,            // nothing drawn
    displayEditOnDoubleClick = 0x2000, // text field: editing opens on a double click only
    displayDragEdit = 0x80000000u,     // number field: dragging up and down changes the value
};

// Converters write the text for a value into a buffer of the given size (terminator included) and must
// not write past it. The three-argument forms also get the converter datum of the control.
using PlainValueConverter = void (*)(float value, char* text, std::size_t size);
using ValueConverter = void (*)(float value, char* text, std::size_t size, void* data);

// Shows the control's value as text in a box: the background bitmap or a filled rectangle, an optional
// outline or bevel, optional shadowed text. The text comes from a converter, or "%2.2f" without one.
// It does not react to the mouse.
class GuiValueDisplay : public GuiControl {
public:
    static constexpr FontId defaultFont = 3;

    // No listener and tag 0.
    GuiValueDisplay(const GuiRect& bounds, GuiBitmap* background, std::uint32_t style);

    void paint(GuiDrawContext& context) override;

    virtual void setTextFont(FontId font);
    virtual void setTextColor(GuiColor color);
    virtual void setFillColor(GuiColor color);
    virtual void setBorderColor(GuiColor color);
    virtual void setTextShadowColor(GuiColor color);
    virtual void setAlignment(std::int32_t align);
    virtual void setBackgroundOffset(GuiPoint offset);
    // Takes precedence over the plain converter.
    virtual void setValueConverter(ValueConverter converter, void* data);
    virtual void setPlainValueConverter(PlainValueConverter converter);
    virtual void setDisplayStyle(std::uint32_t style);
    virtual void setFontStyle(std::int32_t style);
    virtual void setTextTransparent(bool transparentText);

    // Draws the box and the given text with the control's style.
    void paintText(GuiDrawContext& context, const char* text);

    FontId getTextFont() const noexcept { return textFont; }
    GuiColor getTextColor() const noexcept { return textColor; }
    GuiColor getFillColor() const noexcept { return fillColor; }
    GuiColor getBorderColor() const noexcept { return borderColor; }
    std::int32_t getAlignment() const noexcept { return alignment; }
    std::uint32_t getDisplayStyle() const noexcept { return displayStyle; }
    void* getConverterData() const noexcept { return converterData; }

protected:
    // Controls that derive from the display set their own listener and tag.
    GuiValueDisplay(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag,
                    GuiBitmap* background, std::uint32_t style);
    ~GuiValueDisplay() override;

    PlainValueConverter plainValueConverter = nullptr;
    ValueConverter valueConverter = nullptr;
    void* converterData = nullptr;
    std::int32_t alignment = alignCenter;
    std::uint32_t displayStyle = 0;
    FontId textFont = defaultFont;
    std::int32_t fontStyle = 0;
    GuiColor textColor = colorWhite;
    GuiColor fillColor = colorBlack;
    GuiColor borderColor = colorBlack;
    GuiColor textShadowColor = colorRed;
    GuiPoint backgroundOffset;
    bool textTransparent = true;
};

} // namespace chorus
