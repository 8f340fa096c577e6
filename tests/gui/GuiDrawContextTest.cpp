#include "gui/core/GuiDrawContext.h"

#include "gui/core/GuiFrame.h"
#include "gui/core/GuiGdiCounter.h"
#include "gui/core/GuiMemoryDC.h"
#include "gui/core/GuiOffscreenContext.h"
#include "gui/core/GuiSelection.h"
#include "tests/gui/PixelProbe.h"
#include "tests/gui/ScriptedPlatform.h"
#include "tests/gui/TestHost.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace chorus {
namespace {

using test::boundsOf;
using test::countPixels;
using test::pixelAt;

constexpr GuiColor blue{0, 0, 255, 0};

LOGFONTA selectedFont(GuiDCHandle dc) {
    LOGFONTA font{};
    GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof font, &font);
    return font;
}

TEST(GuiDrawContext, OutlineTouchesBothEdgesAndFillCoversOnlyTheInside) {
    GuiOffscreenContext surface(nullptr, 20, 20, colorBlack);
    surface.setPenColor(colorWhite);
    surface.outlineRect({0, 0, 10, 10});
    const GuiDCHandle dc = surface.getDC();
    for (int i = 0; i <= 10; ++i) {
        EXPECT_EQ(pixelAt(dc, i, 0), colorWhite) << i;
        EXPECT_EQ(pixelAt(dc, i, 10), colorWhite) << i;
        EXPECT_EQ(pixelAt(dc, 0, i), colorWhite) << i;
        EXPECT_EQ(pixelAt(dc, 10, i), colorWhite) << i;
    }
    EXPECT_EQ(countPixels(dc, {0, 0, 20, 20}, colorWhite), 40);

    // A fill of the same rectangle leaves its top and left edge: pixels 1..9 only, the whole outline stays.
    surface.setBrushColor(colorRed);
    surface.fillRectInterior({0, 0, 10, 10});
    EXPECT_EQ(countPixels(dc, {0, 0, 20, 20}, colorWhite), 40);
    EXPECT_EQ(countPixels(dc, {1, 1, 10, 10}, colorRed), 81);
    EXPECT_EQ(countPixels(dc, {0, 0, 20, 20}, colorRed), 81);
}

TEST(GuiDrawContext, DrawOffsetMovesEveryOperation) {
    GuiOffscreenContext surface(nullptr, 30, 30, colorBlack);
    surface.setPenColor(colorWhite);
    surface.setDrawOffset({5, 7});
    surface.movePenTo({0, 0});
    surface.drawLineTo({10, 0});
    const GuiDCHandle dc = surface.getDC();
    EXPECT_EQ(countPixels(dc, {5, 7, 15, 8}, colorWhite), 10);
    EXPECT_EQ(pixelAt(dc, 15, 7), colorBlack); // GDI lines leave their end pixel
    EXPECT_EQ(pixelAt(dc, 4, 7), colorBlack);
    EXPECT_EQ(countPixels(dc, {0, 0, 30, 30}, colorWhite), 10);

    surface.setBrushColor(colorRed);
    surface.fillRectInterior({0, 10, 4, 14});
    EXPECT_EQ(boundsOf(dc, {0, 0, 30, 30}, colorRed), (GuiRect{6, 18, 9, 21}));
}

TEST(GuiDrawContext, DottedPenLeavesGapsAndSolidPenDoesNot) {
    GuiOffscreenContext surface(nullptr, 40, 10, colorBlack);
    surface.setPenColor(colorWhite);
    surface.setPenStyle(penDotted);
    EXPECT_EQ(surface.getPenStyle(), penDotted);
    surface.movePenTo({0, 2});
    surface.drawLineTo({30, 2});
    const int dotted = countPixels(surface.getDC(), {0, 2, 30, 3}, colorWhite);
    EXPECT_GT(dotted, 5);
    EXPECT_LT(dotted, 25);

    surface.setPenStyle(42); // anything but dotted is solid
    surface.movePenTo({0, 5});
    surface.drawLineTo({30, 5});
    EXPECT_EQ(countPixels(surface.getDC(), {0, 5, 30, 6}, colorWhite), 30);
}

TEST(GuiDrawContext, PrintTextCellsFollowTheAlignment) {
    const GuiRect rect{10, 10, 50, 20};
    // An opaque cell shows exactly where the text was put.
    const auto cellFor = [&rect](std::int32_t alignment) {
        GuiOffscreenContext surface(nullptr, 80, 40, colorBlack);
        surface.selectFont(6, 0, 0);
        surface.setBrushColor(blue);
        surface.printText("ab", rect, true, alignment);
        EXPECT_EQ(GetBkMode(surface.getDC()), TRANSPARENT);
        return boundsOf(surface.getDC(), {0, 0, 80, 40}, blue);
    };
    EXPECT_EQ(cellFor(alignLeft).left, 11); // left alignment moves the rectangle's left edge one pixel right
    EXPECT_EQ(cellFor(7).left, 11);         // unknown alignments behave as left
    EXPECT_EQ(cellFor(alignRight).right, 50); // the right edge is not narrowed
    const GuiRect cell = cellFor(alignCenter);
    EXPECT_LE(std::abs((cell.left - rect.left) - (rect.right - cell.right)), 1);
    // Vertically centred in the rectangle.
    EXPECT_LE(std::abs((cell.top - rect.top) - (rect.bottom - cell.bottom)), 1);
}

TEST(GuiDrawContext, PrintTextShowsAmpersandsAndIgnoresNull) {
    GuiOffscreenContext surface(nullptr, 120, 30, colorBlack);
    surface.selectFont(1, 0, 0);
    surface.setBrushColor(blue);
    surface.printText(nullptr, {0, 0, 120, 30}, true, alignLeft);
    EXPECT_EQ(countPixels(surface.getDC(), {0, 0, 120, 30}, blue), 0);

    surface.printText("A&B", {0, 0, 120, 30}, true, alignLeft);
    SIZE extent{};
    GetTextExtentPoint32A(surface.getDC(), "A&B", 3, &extent);
    const GuiRect cell = boundsOf(surface.getDC(), {0, 0, 120, 30}, blue);
    EXPECT_EQ(cell.width(), extent.cx);
}

TEST(GuiDrawContext, SelectFontFollowsTheFontTable) {
    GuiOffscreenContext surface(nullptr, 8, 8, colorBlack);
    surface.selectFont(9, 0, 0);
    LOGFONTA font = selectedFont(surface.getDC());
    EXPECT_STREQ(font.lfFaceName, "Arial");
    EXPECT_EQ(font.lfHeight, -12);
    EXPECT_EQ(font.lfWeight, 700); // id 0 is always bold
    EXPECT_EQ(surface.getFontId(), 0);
    EXPECT_EQ(surface.getFontSize(), 12);

    surface.selectFont(7, 0, styleBold);
    font = selectedFont(surface.getDC());
    EXPECT_STREQ(font.lfFaceName, "Symbol");
    EXPECT_EQ(font.lfHeight, -13);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(font.lfPitchAndFamily, 80);

    surface.selectFont(3, 20, styleItalic | styleUnderline);
    font = selectedFont(surface.getDC());
    EXPECT_EQ(font.lfHeight, -20);
    EXPECT_EQ(font.lfWeight, 400);
    EXPECT_EQ(font.lfItalic, 1);
    EXPECT_EQ(font.lfUnderline, 1);
    EXPECT_EQ(font.lfPitchAndFamily, 34);
    EXPECT_EQ(font.lfClipPrecision, 2);
    EXPECT_EQ(font.lfOutPrecision, 1);

    surface.selectFont(-1, 0, 0);
    EXPECT_EQ(surface.getFontId(), 0);
}

TEST(GuiDrawContext, PutsTheDCsOwnObjectsBackAndLeavesNoObjects) {
    const int before = GuiGdiCounter::live();
    GuiMemoryDC memory(nullptr);
    const HGDIOBJ pen = GetCurrentObject(memory.get(), OBJ_PEN);
    const HGDIOBJ brush = GetCurrentObject(memory.get(), OBJ_BRUSH);
    const HGDIOBJ font = GetCurrentObject(memory.get(), OBJ_FONT);
    {
        GuiDrawContext context(nullptr, memory.get(), nullptr);
        context.selectFont(2, 0, 0);
        context.setPenColor(colorRed);
        context.setBrushColor(colorGreen);
        EXPECT_NE(GetCurrentObject(memory.get(), OBJ_PEN), pen);
        EXPECT_NE(GetCurrentObject(memory.get(), OBJ_BRUSH), brush);
        EXPECT_NE(GetCurrentObject(memory.get(), OBJ_FONT), font);
        EXPECT_EQ(GetTextColor(memory.get()), colorWhite.toColorRef());
        EXPECT_EQ(GetBkColor(memory.get()), colorGreen.toColorRef());
        EXPECT_EQ(GuiGdiCounter::live(), before + 4); // the DC plus one pen, one brush, one font
    }
    EXPECT_EQ(GetCurrentObject(memory.get(), OBJ_PEN), pen);
    EXPECT_EQ(GetCurrentObject(memory.get(), OBJ_BRUSH), brush);
    EXPECT_EQ(GetCurrentObject(memory.get(), OBJ_FONT), font);
    EXPECT_EQ(GuiGdiCounter::live(), before + 1);

    // Without a DC nothing is created and nothing draws.
    GuiDrawContext empty(nullptr, nullptr, nullptr);
    empty.setPenColor(colorRed);
    empty.selectFont(1, 0, 0);
    empty.fillRectInterior({0, 0, 5, 5});
    empty.printText("x", {0, 0, 5, 5}, true, alignLeft);
    EXPECT_EQ(GuiGdiCounter::live(), before + 1);
}

TEST(GuiDrawContext, OffscreenSurfaceStartsFilledAndClippedToItsSize) {
    GuiOffscreenContext surface(nullptr, 238, 226, colorGrey);
    EXPECT_EQ(surface.getClipRect(), (GuiRect{0, 0, 238, 226}));
    // The whole surface, edges included, starts in the background colour.
    EXPECT_EQ(countPixels(surface.getDC(), {0, 0, 238, 226}, colorGrey), 238 * 226);

    GuiOffscreenContext inverted(nullptr, -5, 10, colorBlack);
    EXPECT_EQ(inverted.getClipRect(), (GuiRect{-5, 0, 0, 10}));
}

TEST(GuiDrawContext, BlitToCopiesABlockToTheDestinationsOffset) {
    GuiOffscreenContext source(nullptr, 10, 10, colorRed);
    GuiOffscreenContext target(nullptr, 30, 30, colorBlack);
    target.setDrawOffset({3, 4});
    source.blitTo(target, {5, 5, 9, 7}, {0, 0});
    EXPECT_EQ(boundsOf(target.getDC(), {0, 0, 30, 30}, colorRed), (GuiRect{8, 9, 12, 11}));
}

TEST(GuiDrawContext, MouseStateMapsPhysicalButtonsThroughTheSwap) {
    test::ScriptedPlatform platform;
    const auto stateFor = [&](std::uint32_t physical) {
        platform.script({{physical, {0, 0}}});
        GuiDrawContext context(nullptr, nullptr, nullptr);
        return context.readMouseState();
    };
    const auto registerWithSwap = [&](bool swapped) {
        // The swap is read when the window class is registered.
        platform.setSwapped(swapped);
        test::HostWindow host;
        GuiFrame* frame = new GuiFrame({0, 0, 10, 10}, host.get(), nullptr);
        frame->release();
    };

    registerWithSwap(false);
    EXPECT_EQ(stateFor(GuiPlatform::physicalLeft | GuiPlatform::physicalShift), mousePrimary | keyShift);
    EXPECT_EQ(stateFor(GuiPlatform::physicalRight | GuiPlatform::physicalAlt), mouseSecondary | keyAlt);
    EXPECT_EQ(stateFor(GuiPlatform::physicalMiddle | GuiPlatform::physicalControl), mouseMiddle | keyControl);

    registerWithSwap(true);
    EXPECT_EQ(stateFor(GuiPlatform::physicalRight), mousePrimary);
    EXPECT_EQ(stateFor(GuiPlatform::physicalLeft), mouseSecondary);

    registerWithSwap(false);
    EXPECT_EQ(stateFor(GuiPlatform::physicalLeft), mousePrimary);
}

TEST(GuiDrawContext, CursorPositionIsRelativeToTheWindow) {
    test::ScriptedPlatform platform;
    platform.setCursor({300, 200});
    GuiPoint where;
    GuiDrawContext screen(nullptr, nullptr, nullptr);
    screen.readCursorPosition(where);
    EXPECT_EQ(where, (GuiPoint{300, 200})); // no window: screen coordinates

    test::HostWindow host(100, 50);
    GuiDrawContext onWindow(nullptr, nullptr, host.get());
    EXPECT_EQ(onWindow.getWindowOrigin(), (GuiPoint{100, 50}));
    onWindow.readCursorPosition(where);
    EXPECT_EQ(where, (GuiPoint{200, 150}));
}

} // namespace
} // namespace chorus
