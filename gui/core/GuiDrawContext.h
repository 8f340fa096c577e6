#pragma once

#include "gui/core/GuiColor.h"
#include "gui/core/GuiGdiObject.h"
#include "gui/core/GuiNativeHandles.h"
#include "gui/core/GuiRect.h"
#include "gui/core/GuiScale.h"

#include <cstdint>

namespace chorus {

class GuiFrame;

enum PenStyle : std::int32_t { penSolid = 0, penDotted = 1 };

// Font ids 0..7 index the toolkit font table (0: Arial 12 bold ... 6: Arial 9, 7: Symbol 13).
using FontId = std::int32_t;
inline constexpr FontId fontIdCount = 8;

enum TextStyle : std::int32_t { styleBold = 1, styleItalic = 2, styleUnderline = 4 };

// Any other value behaves as alignLeft.
enum TextAlign : std::int32_t { alignLeft = 0, alignCenter = 1, alignRight = 2 };

enum MouseState : std::int32_t {
    mousePrimary = 0x01,
    mouseMiddle = 0x02,
    mouseSecondary = 0x04,
    keyShift = 0x08,
    keyControl = 0x10,
    keyAlt = 0x20,
};

// A short-lived drawing surface over a device context. It owns the pen, brush and font it creates and
// puts the DC's own objects back when it goes. Every coordinate gets drawOffset added. Coordinates are
// logical: the owner frame's zoom turns them into device pixels (lines, text and bitmaps grow with it), and
// cursor positions come back logical.
// It is also where drag loops read the live mouse buttons, modifiers and cursor.
class GuiDrawContext {
public:
    GuiDrawContext(GuiFrame* ownerFrame, GuiDCHandle dc, GuiWindowHandle window);
    virtual ~GuiDrawContext();

    GuiDrawContext(const GuiDrawContext&) = delete;
    GuiDrawContext& operator=(const GuiDrawContext&) = delete;

    void movePenTo(GuiPoint point);
    void drawLineTo(GuiPoint point);
    void outlineRect(const GuiRect& rect);
    // Fills (left + 1, top + 1) to (right, bottom): a fill after an outline keeps its top and left lines.
    void fillRectInterior(const GuiRect& rect);
    void setPenStyle(std::int32_t style);
    void setPenColor(GuiColor color);
    void setBrushColor(GuiColor color);
    void setInkColor(GuiColor color);
    // Ids outside 0..7 use 0; size 0 uses the table's size for the id; style is TextStyle bits.
    void selectFont(FontId id, std::int32_t size, std::int32_t style);
    void printText(const char* text, const GuiRect& rect, bool opaque, std::int32_t align);

    // MouseState bits from the live state, with the system's button swap applied.
    std::int32_t readMouseState() const;
    // Screen cursor minus windowOrigin: window coordinates for a context on a window.
    void readCursorPosition(GuiPoint& out) const;

    // The zoom of the owner frame (100 % without one).
    GuiScale getScale() const noexcept { return scale; }
    // A logical point of this context (drawOffset included) in device pixels.
    GuiPoint toDevice(GuiPoint logical) const noexcept {
        return scale.toDevice(GuiPoint{logical.h + drawOffset.h, logical.v + drawOffset.v});
    }
    GuiRect toDevice(const GuiRect& logical) const noexcept {
        return scale.toDevice(logical.offsetBy(drawOffset));
    }

    GuiPoint getDrawOffset() const noexcept { return drawOffset; }
    void setDrawOffset(GuiPoint offset) noexcept { drawOffset = offset; }
    GuiPoint getWindowOrigin() const noexcept { return windowOrigin; }
    const GuiRect& getClipRect() const noexcept { return clipRect; }
    void setClipRect(const GuiRect& rect) noexcept { clipRect = rect; }
    GuiDCHandle getDC() const noexcept { return dc; }
    GuiWindowHandle getWindow() const noexcept { return window; }
    GuiFrame* getOwnerFrame() const noexcept { return ownerFrame; }
    FontId getFontId() const noexcept { return fontId; }
    std::int32_t getFontSize() const noexcept { return fontSize; }
    GuiColor getInkColor() const noexcept { return inkColor; }
    GuiColor getPenColor() const noexcept { return penColor; }
    GuiColor getBrushColor() const noexcept { return brushColor; }
    std::int32_t getPenStyle() const noexcept { return penStyle; }
    std::int32_t getLineWidth() const noexcept { return lineWidth; }

    // Face and default pixel size of a font id (ids outside the table answer those of id 0).
    static const char* fontFace(FontId id) noexcept;
    static std::int32_t fontDefaultSize(FontId id) noexcept;

protected:
    // For surfaces that make their DC after construction: captures its objects and makes the state real.
    void attachDC(GuiDCHandle newDC);
    // Puts the captured objects back and forgets the DC; the created objects are deleted later.
    void detachDC();

private:
    void replacePen();
    GuiPoint linePoint(GuiPoint logical) const noexcept;

    GuiPoint windowOrigin;
    GuiPoint drawOffset;
    GuiScale scale;
    GuiDCHandle dc = nullptr;
    GuiWindowHandle window = nullptr;
    GuiFrame* ownerFrame = nullptr;
    std::int32_t fontSize = 0;
    FontId fontId = 0;
    GuiColor inkColor = colorWhite;
    std::int32_t lineWidth = 1;
    GuiColor penColor = colorWhite;
    GuiColor brushColor = colorBlack;
    std::int32_t penStyle = penSolid;
    GuiRect clipRect{0, 0, 1000, 1000};
    GuiGdiObject createdBrush;
    GuiGdiObject createdPen;
    GuiGdiObject createdFont;
    GuiObjectHandle initialBrush = nullptr;
    GuiObjectHandle initialPen = nullptr;
    GuiObjectHandle initialFont = nullptr;
    std::int32_t gdiPenStyle = 0;
};

} // namespace chorus
