#pragma once

#include "gui/controls/GuiNumberText.h"
#include "gui/controls/GuiValueDisplay.h"
#include "gui/core/GuiGdiObject.h"
#include "gui/core/GuiNativeEditOwner.h"
#include "gui/core/GuiNativeHandles.h"

namespace chorus {

// Text converters write the display text for the field's text (a buffer of textSize bytes, which the
// converter may rewrite) into display (displaySize bytes), never past either.
using PlainTextConverter = void (*)(char* text, std::size_t textSize, char* display, std::size_t displaySize);
using TextConverter = void (*)(char* text, std::size_t textSize, char* display, std::size_t displaySize,
                               void* data);

// Shows a text (not the value) in the display's box. A click (or a double click, by style) opens a native
// single-line edit window over the field; when it loses the keyboard focus, Return is pressed in it or the
// frame is clicked, the edited text is taken over, the listener is told if it changed, and "LooseFocus" is
// sent to the owner view (or the frame).
class GuiTextField : public GuiValueDisplay, public GuiNativeEditOwner {
public:
    static constexpr std::int32_t minimumDoubleClickTime = 250; // milliseconds
    static constexpr const char* focusLostMessage = "LooseFocus";

    // A null text gives an empty one; longer texts are cut to 255 characters.
    GuiTextField(const GuiRect& bounds, GuiControlListener* listener, std::int32_t tag, const char* text,
                 GuiBitmap* background, std::uint32_t style);

    void paint(GuiDrawContext& context) override;
    void onMouseDown(GuiDrawContext& context, GuiPoint where) override;
    // Closes the edit window and takes its text over.
    void focusLost(GuiDrawContext* context) override;
    // Opens the edit window over the field.
    void focusGained(GuiDrawContext* context) override;

    // Copies the text (cut to fit) and asks for a redraw when it differs; null is ignored.
    virtual void setText(const char* newText);
    // Copies the text into out, a buffer of size bytes (cut to fit).
    virtual void getText(char* out, std::size_t size) const;
    virtual void setTextConverter(TextConverter converter, void* data);
    virtual void setPlainTextConverter(PlainTextConverter converter);

    // Two lone clicks closer together than the double-click time; the frame's ticks are the clock.
    bool isDoubleClick();
    // Closes the edit window and keeps the text as it was: nobody is told.
    void cancelEdit();
    // Ends this field's edit (taking its text over) and opens the next text field of the frame, or the
    // previous one, in the order they were added; the last wraps round to the first.
    void editNeighbour(bool previous);

    const char* getText() const noexcept { return text; }
    bool isEditing() const noexcept { return editWindow != nullptr; }
    GuiWindowHandle getEditWindow() const noexcept { return editWindow; }
    std::int32_t getDoubleClickTime() const noexcept { return doubleClickTime; }

    GuiColor getEditTextColor() const override { return textColor; }
    GuiColor getEditFillColor() const override { return fillColor; }
    GuiGdiObject& editBackgroundBrush() override { return editBrush; }

protected:
    ~GuiTextField() override;

    // Display text for paint: the converters, else the text itself.
    void displayText(char* display, std::size_t size);
    // Whether an edited text is taken over; when not, the field keeps the text it had.
    virtual bool acceptsText(const char* edited) const;

    GuiGdiObject editBrush;
    GuiWindowHandle editWindow = nullptr;
    GuiGdiObject editFont;
    char text[guiFieldTextSize] = "";
    std::int32_t lastClickTime = -1;
    std::int32_t doubleClickTime = minimumDoubleClickTime;
    PlainTextConverter plainTextConverter = nullptr;
    TextConverter textConverter = nullptr;

private:
    void closeEditWindow() noexcept;

    bool closing = false;
};

} // namespace chorus
