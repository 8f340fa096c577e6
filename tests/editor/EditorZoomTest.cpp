#include "dsp/ChorusParameterSet.h"
#include "editor/ChorusXYPad.h"
#include "gui/controls/GuiNumberField.h"
#include "gui/core/GuiScale.h"
#include "tests/editor/EditorHarness.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace chorus::test {

namespace {

constexpr int zoomedHostWidth = 520;
constexpr int zoomedHostHeight = 480;

intptr_t askZoom(EditorHarness& h, int percent) {
    const intptr_t answer = h.dispatch(opVendorSpecific, CHORUS_WHEEL_INDEX, CHORUS_ZOOM_VALUE, nullptr,
                                       static_cast<float>(percent));
    pumpMessages();
    return answer;
}

bool inside(const GuiRect& r, int x, int y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

std::vector<GuiRect> fieldAreas(const ChorusEditor& editor) {
    std::vector<GuiRect> areas;
    for (const GuiNumberField* field :
         {editor.getFreqField(), editor.getDelayField(), editor.getStagesField(), editor.getMixField()}) {
        areas.push_back(field->getBounds());
    }
    return areas;
}

// Logical pixels of area where `small` (the zoomed picture, each 2 x 2 block read as its top-left pixel)
// differs from the original.
int differingBlocks(const Picture& original, const Picture& zoomed, const GuiRect& area,
                    const std::function<bool(int, int)>& skip) {
    int differing = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (skip(x, y)) {
                continue;
            }
            for (const auto& [dx, dy] : {std::pair{0, 0}, {1, 0}, {0, 1}, {1, 1}}) {
                if (!(zoomed.at(2 * x + dx, 2 * y + dy) == original.at(x, y))) {
                    ++differing;
                    break;
                }
            }
        }
    }
    return differing;
}

bool anyOf(const Picture& p, GuiColor colour, int left, int top, int right, int bottom) {
    for (int y = std::max(top, 0); y <= std::min(bottom, p.height - 1); ++y) {
        for (int x = std::max(left, 0); x <= std::min(right, p.width - 1); ++x) {
            if (p.at(x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

// Pixels of one colour inside area that have no pixel of that colour in the other picture within
// `reach` device pixels of the zoomed picture, counted both ways.
int strayPixels(const Picture& original, const Picture& zoomed, const GuiRect& area, GuiColor colour) {
    constexpr int reach = 4;
    int stray = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (original.at(x, y) == colour &&
                !anyOf(zoomed, colour, 2 * x - reach, 2 * y - reach, 2 * x + 1 + reach, 2 * y + 1 + reach)) {
                ++stray;
            }
        }
    }
    for (int y = 2 * area.top; y < 2 * area.bottom; ++y) {
        for (int x = 2 * area.left; x < 2 * area.right; ++x) {
            if (zoomed.at(x, y) == colour && !anyOf(original, colour, (x - reach) / 2, (y - reach) / 2,
                                                    (x + reach) / 2, (y + reach) / 2)) {
                ++stray;
            }
        }
    }
    return stray;
}

// The box around the text's light pixels in a field, in logical pixels (the zoomed one rounded outward).
GuiRect inkBox(const Picture& p, const GuiRect& area, int factor) {
    constexpr int light = 3 * 160;
    GuiRect box{area.right * factor, area.bottom * factor, area.left * factor, area.top * factor};
    for (int y = area.top * factor; y < area.bottom * factor; ++y) {
        for (int x = area.left * factor; x < area.right * factor; ++x) {
            const GuiColor c = p.at(x, y);
            if (c.red + c.green + c.blue > light) {
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
            }
        }
    }
    return {box.left / factor, box.top / factor, (box.right + factor - 1) / factor,
            (box.bottom + factor - 1) / factor};
}

GuiPoint centreOf(const GuiRect& r, int percent) {
    return {(r.left + r.right) * percent / 200, (r.top + r.bottom) * percent / 200};
}

} // namespace

TEST(EditorZoom, DpiRoundsToTheThreeZooms) {
    for (const auto& [dpi, percent] : {std::pair{72, 100},
                                       {96, 100},
                                       {119, 100},
                                       {120, 150},
                                       {144, 150},
                                       {167, 150},
                                       {168, 200},
                                       {192, 200},
                                       {288, 200}}) {
        EXPECT_EQ(GuiScale::forDpi(dpi).getPercent(), percent) << dpi << " dpi";
    }
}

// Without a zoom request the editor follows the DPI of the window it opens in, as a per-monitor-aware host
// sees it. CHORUS_EXPECT_ZOOM names the zoom the display's DPI must give (a run at 192 dpi sets 200).
TEST(EditorZoom, WithoutARequestTheEditorFollowsTheDpiOfItsWindow) {
    using SetAwareness = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
    FARPROC found = GetProcAddress(GetModuleHandleA("user32.dll"), "SetThreadDpiAwarenessContext");
    if (found == nullptr) {
        GTEST_SKIP() << "no per-thread DPI awareness on this system";
    }
    SetAwareness setAwareness = nullptr;
    std::memcpy(&setAwareness, &found, sizeof setAwareness);
    const DPI_AWARENESS_CONTEXT previous = setAwareness(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    {
        EditorHarness h(zoomedHostWidth, zoomedHostHeight);
        const char* expected = std::getenv("CHORUS_EXPECT_ZOOM");
        const int percent = expected != nullptr
                                ? std::atoi(expected)
                                : GuiScale::forDpi(GuiScale::dpiOf(h.hostWindow())).getPercent();
        RECT client{};
        GetClientRect(h.editorWindow(), &client);
        EXPECT_EQ(client.right, 238 * percent / 100) << GuiScale::dpiOf(h.hostWindow()) << " dpi";
        EXPECT_EQ(client.bottom, 226 * percent / 100);
        EditorRect* rect = nullptr;
        ASSERT_EQ(h.dispatch(opEditorRect, 0, 0, &rect), 1);
        EXPECT_EQ(rect->right - rect->left, client.right);
        // A request overrides the DPI; 0 goes back to it.
        EXPECT_EQ(askZoom(h, 150), 150);
        EXPECT_EQ(askZoom(h, 0), percent);
    }
    setAwareness(previous);
}

// The host's zoom request: the rectangle and the window follow, other values are refused, and going back to
// 100 % gives the very pixels the editor had before.
TEST(EditorZoom, RequestSizesTheEditorAndHalvedItMatchesTheOriginal) {
    EditorHarness h(zoomedHostWidth, zoomedHostHeight);
    ASSERT_EQ(askZoom(h, 100), 100); // whatever the display's DPI
    const Picture original = h.picture();
    ASSERT_EQ(original.width, 238);
    ASSERT_EQ(original.height, 226);

    EXPECT_EQ(askZoom(h, 175), 0);
    EditorRect* rect = nullptr;
    ASSERT_EQ(askZoom(h, 150), 150);
    ASSERT_EQ(h.dispatch(opEditorRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, 357);
    EXPECT_EQ(rect->bottom - rect->top, 339);
    EXPECT_EQ(h.picture().width, 357);
    ASSERT_EQ(askZoom(h, 200), 200);
    ASSERT_EQ(h.dispatch(opEditorRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect->right - rect->left, 476);
    EXPECT_EQ(rect->bottom - rect->top, 452);
    EXPECT_EQ(childWindowCount(h.hostWindow()), 1);
    const Picture zoomed = h.picture();
    ASSERT_EQ(zoomed.width, 476);
    ASSERT_EQ(zoomed.height, 452);

    // Bitmaps are doubled pixel for pixel, so everywhere but the pad's curves and the fields' texts each
    // 2 x 2 block is the original pixel exactly. The curves are drawn again with a pen two pixels wide
    // (round ends) on the doubled grid and the texts rasterised again from their outlines at twice the
    // height (without anti-aliasing): their pixel steps fall elsewhere. There the test asks that every
    // curve pixel has one of its colour within four device pixels in the other picture (two original
    // ones: a line leaves out its last pixel, a whole original pixel at 100 % but one device pixel at
    // 200 %, and the round end reaches one further), and that each text covers the same box within one
    // logical pixel. A picture drawn at the wrong size or place fails all three.
    const ChorusEditor& editor = h.editor();
    const GuiRect pad = editor.getWavePad()->getBounds();
    const std::vector<GuiRect> fields = fieldAreas(editor);
    const auto curveOrText = [&](int x, int y) {
        return inside(pad, x, y) ||
               std::any_of(fields.begin(), fields.end(), [&](const GuiRect& r) { return inside(r, x, y); });
    };
    EXPECT_EQ(differingBlocks(original, zoomed, {0, 0, 238, 226}, curveOrText), 0);
    for (const GuiColor curve : {ChorusXYPad::waveColor, ChorusXYPad::rippleColor}) {
        EXPECT_EQ(strayPixels(original, zoomed, pad, curve), 0)
            << int{curve.red} << "," << int{curve.green} << "," << int{curve.blue};
    }
    for (const GuiRect& field : fields) {
        const GuiRect expected = inkBox(original, field, 1);
        const GuiRect found = inkBox(zoomed, field, 2);
        EXPECT_GT(expected.width(), 0);
        EXPECT_LE(std::abs(found.left - expected.left), 1) << field.left;
        EXPECT_LE(std::abs(found.top - expected.top), 1) << field.left;
        EXPECT_LE(std::abs(found.right - expected.right), 1) << field.left;
        EXPECT_LE(std::abs(found.bottom - expected.bottom), 1) << field.left;
    }

    ASSERT_EQ(askZoom(h, 100), 100);
    const Picture back = h.picture();
    ASSERT_EQ(back.width, 238);
    EXPECT_EQ(back.pixels, original.pixels);
}

// A press, drag and wheel turn at the zoomed position of a control change the same parameter by the same
// amount as at 100 % (a drag twice as long on the window is the same distance on the control).
TEST(EditorZoom, InputAtZoomedPositionsReachesTheSameParameters) {
    struct Case {
        const char* name;
        int32_t parameter;
        std::function<void(EditorHarness&, int percent)> act;
    };
    const auto at = [](GuiPoint p, int percent) {
        return GuiPoint{p.h * percent / 100, p.v * percent / 100};
    };
    const std::vector<Case> cases{
        {"drag Delay knob up", paramDelay,
         [&](EditorHarness& h, int pc) {
             h.drag(at({90, 182}, pc), {at({90, 172}, pc), at({90, 160}, pc)});
         }},
        {"drag Mix slider", paramMix,
         [&](EditorHarness& h, int pc) {
             h.drag(at({201, 125}, pc), {at({201, 110}, pc), at({201, 95}, pc)});
         }},
        {"drag pad", paramDelay,
         [&](EditorHarness& h, int pc) {
             h.drag(at({80, 70}, pc), {at({100, 60}, pc), at({110, 50}, pc)});
         }},
        {"wheel over Freq knob", paramFreq,
         [&](EditorHarness& h, int pc) {
             const GuiPoint p = at({40, 182}, pc);
             h.input().setCursor({p.h + EditorHarness::windowX, p.v + EditorHarness::windowY});
             h.dispatch(opVendorSpecific, CHORUS_WHEEL_INDEX, CHORUS_WHEEL_VALUE, nullptr, 3.0f);
         }},
        {"ramp Shape button", paramShape,
         [&](EditorHarness& h, int pc) {
             h.click(at({60, 128}, pc));
         }},
        {"Stages field", paramStages,
         [&](EditorHarness& h, int pc) {
             ASSERT_TRUE(h.typeInto(centreOf(h.editor().getStagesField()->getBounds(), pc),
                                    h.editor().getStagesField(), "2"));
         }},
    };
    for (const Case& c : cases) {
        float reached[2] = {-1.0f, -1.0f};
        for (const int percent : {100, 200}) {
            EditorHarness h(zoomedHostWidth, zoomedHostHeight);
            ASSERT_EQ(askZoom(h, percent), percent);
            const float before = h.parameters().getNormalizedValue(c.parameter);
            c.act(h, percent);
            reached[percent == 200] = h.parameters().getNormalizedValue(c.parameter);
            EXPECT_NE(reached[percent == 200], before) << c.name << " at " << percent << " %";
        }
        EXPECT_FLOAT_EQ(reached[1], reached[0]) << c.name;
    }
}

// The native edit window of a number field covers the field at the zoom, with text of the zoomed height.
TEST(EditorZoom, NumberFieldEditWindowLiesOverItsFieldAtTwoHundredPercent) {
    EditorHarness h(zoomedHostWidth, zoomedHostHeight);
    ASSERT_EQ(askZoom(h, 200), 200);
    GuiNumberField* field = h.editor().getDelayField();
    const GuiRect& b = field->getBounds();
    h.click(centreOf(b, 200));
    ASSERT_TRUE(field->isEditing());
    HWND edit = field->getEditWindow();
    RECT placed{};
    GetWindowRect(edit, &placed);
    MapWindowPoints(nullptr, h.editorWindow(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(placed.left, 2 * b.left);
    EXPECT_EQ(placed.top, 2 * b.top);
    EXPECT_EQ(placed.right, 2 * b.right + 2);
    EXPECT_EQ(placed.bottom, 2 * b.bottom + 2);
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -18);
    SetWindowTextA(edit, "3,5");
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    pumpMessages();
    EXPECT_FLOAT_EQ(h.parameters().getRealValue(paramDelay), 3.5f);
}

} // namespace chorus::test
