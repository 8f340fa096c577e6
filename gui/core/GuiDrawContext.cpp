#include "gui/core/GuiDrawContext.h"

#include "gui/core/GuiFrame.h"
#include "gui/core/GuiPlatform.h"
#include "gui/core/GuiWindowClass.h"

#include <cstring>
#include <windows.h>

namespace chorus {

namespace {

struct FontEntry {
    const char* face;
    std::int32_t defaultSize; // pixels
};

constexpr FontEntry fontTable[fontIdCount] = {
    {"Arial", 12}, {"Arial", 18}, {"Arial", 14}, {"Arial", 12},
    {"Arial", 11}, {"Arial", 10}, {"Arial", 9},  {"Symbol", 13},
};

constexpr FontId boldFontId = 0;
constexpr FontId symbolFontId = 7;
constexpr LONG weightNormal = 400;
constexpr LONG weightBold = 700;
constexpr BYTE pitchVariableSwiss = VARIABLE_PITCH | FF_SWISS; // 34
constexpr BYTE pitchDecorative = FF_DECORATIVE;                // 80
constexpr int gdiPenSolid = PS_SOLID;
constexpr int gdiPenDotted = PS_DOT;

bool validFontId(FontId id) {
    return id >= 0 && id < fontIdCount;
}

} // namespace

const char* GuiDrawContext::fontFace(FontId id) noexcept {
    return fontTable[validFontId(id) ? id : 0].face;
}

std::int32_t GuiDrawContext::fontDefaultSize(FontId id) noexcept {
    return fontTable[validFontId(id) ? id : 0].defaultSize;
}

GuiDrawContext::GuiDrawContext(GuiFrame* frame, GuiDCHandle deviceContext, GuiWindowHandle forWindow)
    : window(forWindow), ownerFrame(frame) {
    if (frame != nullptr) {
        frame->getBounds(clipRect);
        scale = frame->getScale();
    }
    if (window != nullptr) {
        RECT screen{};
        if (GetWindowRect(window, &screen)) {
            windowOrigin = {screen.left, screen.top};
        }
    }
    attachDC(deviceContext);
}

GuiDrawContext::~GuiDrawContext() {
    detachDC();
}

void GuiDrawContext::attachDC(GuiDCHandle newDC) {
    dc = newDC;
    if (dc == nullptr) {
        return;
    }
    initialBrush = GetCurrentObject(dc, OBJ_BRUSH);
    initialPen = GetCurrentObject(dc, OBJ_PEN);
    initialFont = GetCurrentObject(dc, OBJ_FONT);
    SetBkMode(dc, TRANSPARENT);
    setPenColor(penColor);
    setPenStyle(penStyle);
    setBrushColor(brushColor);
    setInkColor(inkColor);
}

void GuiDrawContext::detachDC() {
    if (dc == nullptr) {
        return;
    }
    if (initialBrush != nullptr) {
        SelectObject(dc, initialBrush);
    }
    if (initialPen != nullptr) {
        SelectObject(dc, initialPen);
    }
    if (initialFont != nullptr) {
        SelectObject(dc, initialFont);
    }
    initialBrush = initialPen = initialFont = nullptr;
    dc = nullptr;
}

void GuiDrawContext::movePenTo(GuiPoint point) {
    if (dc != nullptr) {
        const GuiPoint d = linePoint(point);
        MoveToEx(dc, d.h, d.v, nullptr);
    }
}

void GuiDrawContext::drawLineTo(GuiPoint point) {
    if (dc != nullptr) {
        const GuiPoint d = linePoint(point);
        LineTo(dc, d.h, d.v);
    }
}

GuiPoint GuiDrawContext::linePoint(GuiPoint logical) const noexcept {
    // A zoomed pen is as wide as a logical pixel; GDI centres it on the path, so the path runs through the
    // middle of the logical pixel's device block.
    const GuiPoint d = toDevice(logical);
    const std::int32_t centre = scale.lengthToDevice(lineWidth) / 2;
    return {d.h + centre, d.v + centre};
}

void GuiDrawContext::outlineRect(const GuiRect& rect) {
    movePenTo({rect.left, rect.top});
    drawLineTo({rect.right, rect.top});
    drawLineTo({rect.right, rect.bottom});
    drawLineTo({rect.left, rect.bottom});
    drawLineTo({rect.left, rect.top});
}

void GuiDrawContext::fillRectInterior(const GuiRect& rect) {
    if (dc == nullptr) {
        return;
    }
    // With a null pen, Rectangle fills exactly (left + 1, top + 1) to (right - 1, bottom - 1) inclusive.
    HGDIOBJ previousPen = SelectObject(dc, GetStockObject(NULL_PEN));
    const GuiPoint from = toDevice(GuiPoint{rect.left + 1, rect.top + 1});
    const GuiPoint to = toDevice(GuiPoint{rect.right, rect.bottom});
    Rectangle(dc, from.h, from.v, to.h + 1, to.v + 1);
    SelectObject(dc, previousPen);
}

void GuiDrawContext::setPenStyle(std::int32_t style) {
    penStyle = style;
    gdiPenStyle = style == penDotted ? gdiPenDotted : gdiPenSolid;
    replacePen();
}

void GuiDrawContext::setPenColor(GuiColor color) {
    penColor = color;
    replacePen();
}

void GuiDrawContext::replacePen() {
    if (dc == nullptr) {
        return;
    }
    // The new pen is selected before the old one is deleted, so the DC never holds a deleted object.
    GuiGdiObject pen(CreatePen(gdiPenStyle, scale.lengthToDevice(lineWidth), penColor.toColorRef()));
    if (!pen) {
        return;
    }
    SelectObject(dc, pen.get());
    createdPen = std::move(pen);
}

void GuiDrawContext::setBrushColor(GuiColor color) {
    brushColor = color;
    if (dc == nullptr) {
        return;
    }
    SetBkColor(dc, color.toColorRef());
    GuiGdiObject brush(CreateSolidBrush(color.toColorRef()));
    if (!brush) {
        return;
    }
    SelectObject(dc, brush.get());
    createdBrush = std::move(brush);
}

void GuiDrawContext::setInkColor(GuiColor color) {
    inkColor = color;
    if (dc != nullptr) {
        SetTextColor(dc, color.toColorRef());
    }
}

void GuiDrawContext::selectFont(FontId id, std::int32_t size, std::int32_t style) {
    fontId = validFontId(id) ? id : 0;
    fontSize = size == 0 ? fontTable[fontId].defaultSize : size;
    if (dc == nullptr) {
        return;
    }
    LOGFONTA font{};
    font.lfHeight = -scale.lengthToDevice(fontSize);
    font.lfWeight = (style & styleBold) != 0 || fontId == boldFontId ? weightBold : weightNormal;
    font.lfItalic = (style & styleItalic) != 0 ? 1 : 0;
    font.lfUnderline = (style & styleUnderline) != 0 ? 1 : 0;
    font.lfPitchAndFamily = fontId == symbolFontId ? pitchDecorative : pitchVariableSwiss;
    font.lfClipPrecision = CLIP_STROKE_PRECIS;
    font.lfOutPrecision = OUT_STRING_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfCharSet = ANSI_CHARSET;
    std::strncpy(font.lfFaceName, fontTable[fontId].face, LF_FACESIZE - 1);
    GuiGdiObject created(CreateFontIndirectA(&font));
    if (!created) {
        return;
    }
    SelectObject(dc, created.get());
    createdFont = std::move(created);
}

void GuiDrawContext::printText(const char* text, const GuiRect& rect, bool opaque, std::int32_t align) {
    if (text == nullptr || dc == nullptr) {
        return;
    }
    SetBkMode(dc, opaque ? OPAQUE : TRANSPARENT);
    GuiRect area = rect;
    UINT format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (align == alignCenter) {
        format |= DT_CENTER;
    } else if (align == alignRight) {
        format |= DT_RIGHT;
    } else {
        format |= DT_LEFT;
        area.left += 1;
    }
    const GuiRect d = toDevice(area);
    RECT target{d.left, d.top, d.right, d.bottom};
    DrawTextA(dc, text, -1, &target, format);
    SetBkMode(dc, TRANSPARENT);
}

std::int32_t GuiDrawContext::readMouseState() const {
    const std::uint32_t input = GuiPlatform::current().readPhysicalInput();
    const bool swapped = GuiWindowClass::buttonsSwapped();
    std::int32_t state = 0;
    if ((input & GuiPlatform::physicalLeft) != 0) {
        state |= swapped ? mouseSecondary : mousePrimary;
    }
    if ((input & GuiPlatform::physicalRight) != 0) {
        state |= swapped ? mousePrimary : mouseSecondary;
    }
    if ((input & GuiPlatform::physicalMiddle) != 0) {
        state |= mouseMiddle;
    }
    if ((input & GuiPlatform::physicalShift) != 0) {
        state |= keyShift;
    }
    if ((input & GuiPlatform::physicalControl) != 0) {
        state |= keyControl;
    }
    if ((input & GuiPlatform::physicalAlt) != 0) {
        state |= keyAlt;
    }
    return state;
}

void GuiDrawContext::readCursorPosition(GuiPoint& out) const {
    const GuiPoint screen = GuiPlatform::current().readScreenCursor();
    out = {screen.h - windowOrigin.h, screen.v - windowOrigin.v};
    if (window != nullptr) {
        out = scale.toLogical(out);
    }
}

} // namespace chorus
