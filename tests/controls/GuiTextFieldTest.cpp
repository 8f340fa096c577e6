#include "gui/controls/GuiTextField.h"

#include "gui/controls/GuiValueDisplay.h"
#include "gui/core/GuiOffscreenContext.h"
#include "gui/core/GuiWindowDC.h"
#include "tests/controls/ControlTestSupport.h"
#include "tests/gui/PixelProbe.h"

#include <clocale>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace chorus {
namespace {

using test::left;
using test::pixelAt;
using test::RecordingListener;
using test::ScriptedPlatform;
using Strings = std::vector<std::string>;

constexpr GuiColor paper{20, 40, 160, 0};

// Whether two surfaces hold the same pixels in area (right and bottom exclusive).
bool sameArea(GuiDCHandle a, GuiDCHandle b, const GuiRect& area) {
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (!(pixelAt(a, x, y) == pixelAt(b, x, y))) {
                return false;
            }
        }
    }
    return true;
}

// What the display should show for a text: the box and the text printed as the display prints it.
void paintReference(GuiOffscreenContext& surface, const GuiRect& box, const char* text) {
    surface.setBrushColor(colorBlack);
    surface.fillRectInterior(box);
    surface.setPenColor(colorBlack);
    surface.outlineRect(box);
    surface.selectFont(GuiValueDisplay::defaultFont, 0, 0);
    surface.setInkColor(colorWhite);
    surface.printText(text, box, false, alignCenter);
}

// A view that records the messages sent to it.
class MessageSink final : public GuiView {
public:
    MessageSink() : GuiView({0, 0, 10, 10}) {}
    bool receiveMessage(GuiView* sender, const char* message) override {
        messages.emplace_back(message);
        senders.push_back(sender);
        return true;
    }
    std::vector<std::string> messages;
    std::vector<GuiView*> senders;
};

TEST(ValueDisplay, ShowsTheValueWithTwoDecimalsAndAPointUnderAnyLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "German"), nullptr);
    const GuiRect box{10, 10, 70, 26};
    auto* display = new GuiValueDisplay(box, nullptr, 0);
    display->setValue(0.5f);
    GuiOffscreenContext shown(nullptr, 100, 40, paper);
    display->paint(shown);
    GuiOffscreenContext expected(nullptr, 100, 40, paper);
    paintReference(expected, box, "0.50");
    GuiOffscreenContext wrong(nullptr, 100, 40, paper);
    paintReference(wrong, box, "0,50");
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_TRUE(sameArea(shown.getDC(), expected.getDC(), {0, 0, 100, 40}));
    EXPECT_FALSE(sameArea(shown.getDC(), wrong.getDC(), {0, 0, 100, 40}));
    EXPECT_FALSE(display->needsRedraw());
    display->release();
}

TEST(ValueDisplay, HiddenDrawsNothingAndStartsUpToDate) {
    auto* display = new GuiValueDisplay({10, 10, 70, 26}, nullptr, displayHidden);
    EXPECT_FALSE(display->needsRedraw());
    GuiOffscreenContext surface(nullptr, 100, 40, paper);
    display->setValue(0.25f);
    display->paint(surface);
    EXPECT_EQ(test::countPixels(surface.getDC(), {0, 0, 100, 40}, paper), 4000);
    display->release();
}

TEST(ValueDisplay, InsetBevelHasFillTopLeftAndBorderBottomRight) {
    auto* display = new GuiValueDisplay({10, 10, 40, 30}, nullptr, displayInsetBorder | displayNoText);
    display->setFillColor(colorBlack);
    display->setBorderColor(colorWhite);
    GuiOffscreenContext surface(nullptr, 60, 50, paper);
    display->paint(surface);
    const GuiDCHandle dc = surface.getDC();
    EXPECT_EQ(pixelAt(dc, 10, 20), colorBlack); // left
    EXPECT_EQ(pixelAt(dc, 25, 10), colorBlack); // top
    EXPECT_EQ(pixelAt(dc, 40, 10), colorBlack); // the top line reaches right + 1
    EXPECT_EQ(pixelAt(dc, 40, 20), colorWhite); // right
    EXPECT_EQ(pixelAt(dc, 25, 30), colorWhite); // bottom
    EXPECT_EQ(pixelAt(dc, 41, 10), paper);
    // Outset swaps the two colours.
    display->setDisplayStyle(displayOutsetBorder | displayNoText);
    display->paint(surface);
    EXPECT_EQ(pixelAt(dc, 10, 20), colorWhite);
    EXPECT_EQ(pixelAt(dc, 25, 30), colorBlack);
    display->release();
}

std::size_t seenSize = 0;

void longConverter(float, char* text, std::size_t size, void*) {
    seenSize = size;
    std::memset(text, 'w', size - 1);
    text[size - 1] = '\0';
}

TEST(ValueDisplay, ConvertersGetTheBufferSizeAndTakePrecedence) {
    auto* display = new GuiValueDisplay({0, 0, 50, 12}, nullptr, 0);
    display->setPlainValueConverter(
        [](float, char* text, std::size_t size) { copyText(text, size, "plain"); });
    display->setValueConverter(longConverter, nullptr);
    GuiOffscreenContext surface(nullptr, 60, 20, paper);
    display->paint(surface);
    EXPECT_EQ(seenSize, guiDisplayBufferSize);
    display->release();
}

// A text field in a frame with a real window inside a host window.
class TextField : public ::testing::Test {
protected:
    void SetUp() override {
        fixture.frame->addChild(field);
        fixture.frame->addChild(sink);
        field->setOwnerView(sink);
        test::pumpMessages();
    }
    void click(GuiPoint where) {
        platform.script({{left, where}});
        GuiWindowDC dc(fixture.frame->getWindow());
        GuiDrawContext context(fixture.frame, dc.get(), fixture.frame->getWindow());
        fixture.frame->onMouseDown(context, where);
    }
    void type(const char* characters) {
        for (const char* c = characters; *c != '\0'; ++c) {
            SendMessageA(field->getEditWindow(), WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(*c)),
                         0);
        }
    }
    void pressReturn() { pressReturnIn(field); }
    static void pressReturnIn(GuiTextField* which) {
        SendMessageA(which->getEditWindow(), WM_KEYDOWN, VK_RETURN, 0);
    }

    ScriptedPlatform platform;
    test::HostWindow host;
    test::FrameFixture fixture{host.get()};
    RecordingListener listener;
    GuiTextField* field = new GuiTextField({20, 20, 80, 34}, &listener, 6, "hello", nullptr, 0);
    MessageSink* sink = new MessageSink;
};

TEST_F(TextField, ClickOpensANativeEditWindowOverTheField) {
    click({30, 25});
    ASSERT_TRUE(field->isEditing());
    HWND edit = field->getEditWindow();
    char className[16] = "";
    GetClassNameA(edit, className, sizeof className);
    EXPECT_EQ(lstrcmpiA(className, "Edit"), 0);
    EXPECT_EQ(GetParent(edit), fixture.frame->getWindow());
    RECT rect{};
    GetWindowRect(edit, &rect);
    MapWindowPoints(nullptr, fixture.frame->getWindow(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 20);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right - rect.left, 61);
    EXPECT_EQ(rect.bottom - rect.top, 15);
    char shown[32] = "";
    GetWindowTextA(edit, shown, sizeof shown);
    EXPECT_STREQ(shown, "hello");
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(fixture.frame->getFocusChild(), field);
    EXPECT_EQ(fixture.gestures(), (Strings{"b6", "e6"}));
    // The frame answers the edit window's colour request from the field.
    UpdateWindow(edit);
    RedrawWindow(edit, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_TRUE(static_cast<bool>(field->editBackgroundBrush()));
}

TEST_F(TextField, ReturnFocusLossOrAClickElsewhereEndTheEditAndOnlyAChangeIsTold) {
    enum class End { returnKey, focusLoss, clickElsewhere, escape };
    struct Case {
        const char* typed;
        End end;
        const char* text;
        std::size_t changes;
    };
    // The whole text is selected when the edit opens: typing replaces it.
    const Case cases[] = {{"42", End::returnKey, "42", 1},
                          {"", End::returnKey, "42", 0},
                          {"abc", End::focusLoss, "abc", 1},
                          {"x", End::clickElsewhere, "x", 1},
                          {"gone", End::escape, "x", 0}};
    for (const Case& c : cases) {
        listener.changes.clear();
        sink->messages.clear();
        sink->senders.clear();
        click({30, 25});
        HWND edit = field->getEditWindow();
        type(c.typed);
        if (c.end == End::returnKey) {
            pressReturn();
        } else if (c.end == End::focusLoss) {
            SetFocus(host.get());
        } else if (c.end == End::escape) {
            SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
        } else {
            click({150, 150});
        }
        EXPECT_FALSE(field->isEditing()) << c.typed;
        EXPECT_FALSE(IsWindow(edit)) << c.typed;
        EXPECT_STREQ(field->getText(), c.text);
        ASSERT_EQ(listener.changes.size(), c.changes) << c.typed;
        if (c.changes > 0) {
            EXPECT_EQ(listener.changes[0].control, field);
        }
        EXPECT_EQ(fixture.frame->getFocusChild(), nullptr) << c.typed;
        EXPECT_FALSE(static_cast<bool>(field->editBackgroundBrush())) << c.typed;
        EXPECT_EQ(sink->messages, (Strings{"LooseFocus"})) << c.typed;
        EXPECT_EQ(sink->senders, (std::vector<GuiView*>{field})) << c.typed;
    }
}

TEST_F(TextField, TabEndsTheEditAndOpensTheNextFieldShiftTabThePreviousOne) {
    auto* second = new GuiTextField({20, 60, 80, 74}, &listener, 7, "two", nullptr, 0);
    fixture.frame->addChild(second);
    click({30, 25});
    type("one");
    SendMessageA(field->getEditWindow(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_STREQ(field->getText(), "one");
    EXPECT_EQ(listener.changes.size(), 1u);
    ASSERT_TRUE(second->isEditing());
    EXPECT_EQ(fixture.frame->getFocusChild(), second);
    EXPECT_EQ(GetFocus(), second->getEditWindow());
    // Tab after the last field wraps round to the first; with Shift it goes back.
    SendMessageA(second->getEditWindow(), WM_KEYDOWN, VK_TAB, 0);
    ASSERT_TRUE(field->isEditing());
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    SetKeyboardState(keys);
    SendMessageA(field->getEditWindow(), WM_KEYDOWN, VK_TAB, 0);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
    ASSERT_TRUE(second->isEditing());
    EXPECT_FALSE(field->isEditing());
    pressReturnIn(second);
    EXPECT_EQ(fixture.frame->getFocusChild(), nullptr);
}

TEST_F(TextField, AllTheCharactersTheEditWindowTakesComeBack) {
    click({30, 25});
    const std::string many(300, 'z');
    type(many.c_str());
    pressReturn();
    EXPECT_EQ(std::strlen(field->getText()), 255u);
    field->setText(many.c_str());
    EXPECT_EQ(std::strlen(field->getText()), 255u);
    char small[4];
    field->getText(small, sizeof small);
    EXPECT_STREQ(small, "zzz");
}

TEST_F(TextField, DoubleClickStyleOpensOnlyOnTheSecondQuickClick) {
    field->setDisplayStyle(displayEditOnDoubleClick);
    click({30, 25});
    EXPECT_FALSE(field->isEditing());
    platform.advance(static_cast<std::uint32_t>(field->getDoubleClickTime()) + 1);
    click({30, 25}); // too late: counts as a first click again
    EXPECT_FALSE(field->isEditing());
    platform.advance(100);
    click({30, 25});
    EXPECT_TRUE(field->isEditing());
    EXPECT_EQ(fixture.gestures(), (Strings{"b6", "e6", "b6", "e6", "b6", "e6"}));
    pressReturn();
}

TEST_F(TextField, DisplayComesFromTheTextConverter) {
    static std::size_t textSize = 0;
    static std::size_t displaySize = 0;
    field->setTextConverter(
        [](char* text, std::size_t sizeOfText, char* display, std::size_t sizeOfDisplay, void* data) {
            textSize = sizeOfText;
            displaySize = sizeOfDisplay;
            copyText(display, sizeOfDisplay, static_cast<const char*>(data));
            (void)text;
        },
        const_cast<char*>("shown"));
    GuiOffscreenContext surface(nullptr, 100, 40, paper);
    field->paint(surface);
    EXPECT_EQ(textSize, guiFieldTextSize);
    EXPECT_EQ(displaySize, guiDisplayBufferSize);
    GuiOffscreenContext expected(nullptr, 100, 40, paper);
    paintReference(expected, field->getBounds(), "shown");
    EXPECT_TRUE(sameArea(surface.getDC(), expected.getDC(), {0, 0, 100, 40}));
}

} // namespace
} // namespace chorus
