#include "gui/controls/GuiNumberField.h"

#include "gui/core/GuiOffscreenContext.h"
#include "gui/core/GuiWindowDC.h"
#include "tests/controls/ControlTestSupport.h"

#include <clocale>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <windows.h>

namespace chorus {
namespace {

using test::left;
using test::RecordingListener;
using test::ScriptedPlatform;
using Strings = std::vector<std::string>;

constexpr float tolerance = 1.0e-5f;

std::vector<std::size_t> converterSizes;

// Writes the number with one decimal, as an editor's converter would.
void oneDecimal(float number, char* text, std::size_t size, void*) {
    converterSizes.push_back(size);
    formatFixed(text, size, number, 1);
}

class NumberField : public ::testing::Test {
protected:
    void SetUp() override {
        field->setMaximum(100.0f);
        field->setNumberConverter(oneDecimal, nullptr);
        fixture.frame->addChild(field);
        test::pumpMessages();
        converterSizes.clear();
    }
    void TearDown() override {
        if (field->isEditing()) {
            SendMessageA(field->getEditWindow(), WM_KEYDOWN, VK_RETURN, 0);
        }
    }
    // A press with the given buttons at y, then the mouse held at each of ys, then the release.
    void drag(std::uint32_t buttons, std::int32_t y, const std::vector<std::int32_t>& ys) {
        std::vector<ScriptedPlatform::Step> steps{{buttons, {40, y}}};
        for (std::int32_t each : ys) {
            steps.push_back({buttons, {40, each}});
        }
        steps.push_back({0, {40, ys.empty() ? y : ys.back()}});
        platform.script(steps);
        fixture.frame->onMouseDown(surface, {40, y});
    }

    ScriptedPlatform platform;
    test::HostWindow host;
    test::FrameFixture fixture{host.get()};
    GuiOffscreenContext surface{nullptr, 240, 230, colorBlack};
    RecordingListener listener;
    GuiNumberField* field = new GuiNumberField({20, 20, 67, 32}, &listener, 7, nullptr, nullptr, 0);
};

TEST_F(NumberField, DecimalCommaTextReadsAsTheNumberAndIsRewrittenWithAPoint) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "German");
    field->setText("12,5");
    const float normalised = field->getValue();
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_FLOAT_EQ(normalised, 0.125f);
    EXPECT_STREQ(field->getText(), "12.5");
    EXPECT_FLOAT_EQ(field->getNumber(), 12.5f);
}

TEST_F(NumberField, SetValueScalesClampsAndWritesTheNumberIn16Bytes) {
    field->setMaximum(10.0f);
    field->setValue(1.5f);
    EXPECT_EQ(field->getNumber(), 10.0f);
    EXPECT_STREQ(field->getText(), "10.0");
    EXPECT_EQ(converterSizes, (std::vector<std::size_t>{guiNumberTextSize}));
    field->setValue(0.25f);
    EXPECT_STREQ(field->getText(), "2.5");
    EXPECT_FLOAT_EQ(field->getValue(), 0.25f);
    field->setNumber(-4.0f);
    EXPECT_EQ(field->getNumber(), 0.0f);
    field->setText("not a number");
    EXPECT_EQ(field->getValue(), 0.0f);

    // Painting formats into the display buffer.
    converterSizes.clear();
    field->paint(surface);
    EXPECT_EQ(converterSizes, (std::vector<std::size_t>{guiDisplayBufferSize}));
}

TEST_F(NumberField, WithoutAConverterTheTextStillHoldsTheNumber) {
    field->setNumberConverter(nullptr, nullptr);
    field->setValue(0.37f);
    EXPECT_NEAR(field->getValue(), 0.37f, tolerance);
    field->setMinimum(-1.0e30f);
    field->setMaximum(1.0e30f);
    field->setNumber(-1.2345678e29f);
    EXPECT_EQ(field->getNumber(), -1.2345678e29f);
    EXPECT_LT(std::strlen(field->getText()), guiNumberTextSize);
}

TEST_F(NumberField, AnEmptyRangeAnswersItsStartInsteadOfDividingByZero) {
    field->setMinimum(5.0f);
    field->setMaximum(5.0f);
    field->setNumber(5.0f);
    EXPECT_EQ(field->getValue(), 0.0f);
}

TEST_F(NumberField, ASingleClickOpensTheEditWindowAndOnlyATypedNumberIsTheNewValue) {
    struct Case {
        const char* typed;
        std::size_t changes; // what the listener is told
        float value;         // normalised afterwards
    };
    // Text without a number (or none at all) keeps the number the field had.
    const Case cases[] = {
        {"42,5", 1, 0.425f}, {"abc", 0, 0.5f}, {"", 0, 0.5f}, {" -", 0, 0.5f}, {"nan", 0, 0.5f}};
    GuiWindowDC dc(fixture.frame->getWindow());
    GuiDrawContext context(fixture.frame, dc.get(), fixture.frame->getWindow());
    // The platform reports the screen cursor: the window's origin plus the point.
    const GuiPoint screen{context.getWindowOrigin().h + 30, context.getWindowOrigin().v + 25};
    for (const Case& c : cases) {
        field->setValue(0.5f);
        listener.changes.clear();
        platform.script({{left, screen}, {0, screen}});
        fixture.frame->onMouseDown(context, {30, 25});
        ASSERT_TRUE(field->isEditing());
        SendMessageA(field->getEditWindow(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.typed));
        SendMessageA(field->getEditWindow(), WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_FALSE(field->isEditing());
        ASSERT_EQ(listener.changes.size(), c.changes) << c.typed;
        EXPECT_NEAR(field->getValue(), c.value, tolerance) << c.typed;
    }
    EXPECT_EQ(fixture.gestures().size(), 2 * std::size(cases));
}

TEST_F(NumberField, DraggingUpRaisesTheValueAndShiftDragsFinely) {
    field->setDisplayStyle(displayDragEdit);
    field->setNumber(50.0f);
    drag(left, 26, {16, 16});
    EXPECT_NEAR(field->getValue(), 0.6f, tolerance); // 10 pixels up: 0.1
    EXPECT_TRUE(field->wasDragged());
    EXPECT_FALSE(field->isEditing()); // a drag does not open the edit window
    EXPECT_EQ(fixture.gestures(), (Strings{"b7", "e7"}));
    // Once per move and once more after the release.
    EXPECT_EQ(listener.changes.size(), 2u);

    field->setNumber(50.0f);
    drag(left | test::shift, 26, {16, 16});
    EXPECT_NEAR(field->getValue(), 0.515f, tolerance); // 10 pixels: 0.015
    field->setNumber(50.0f);
    drag(left, 26, {36, 36});
    EXPECT_NEAR(field->getValue(), 0.4f, tolerance);
}

TEST_F(NumberField, CtrlAtThePressSetsTheResetValueFirst) {
    field->setDisplayStyle(displayDragEdit);
    field->setResetValue(0.3f);
    field->setNumber(80.0f);
    drag(left | test::ctrl, 26, {});
    EXPECT_NEAR(field->getValue(), 0.3f, tolerance);
    EXPECT_FALSE(field->isEditing()); // Ctrl never opens the edit window
    drag(left | test::ctrl, 26, {6, 6});
    EXPECT_NEAR(field->getValue(), 0.3f, tolerance); // dragging with Ctrl held keeps the reset value
}

TEST_F(NumberField, FontSizePicksTheLastFontOfThatSize) {
    EXPECT_EQ(field->getFontSize(), 10);
    field->setFontSize(12);
    EXPECT_EQ(field->getTextFont(), 3); // sizes 12 at ids 0 and 3
    field->setFontSize(9);
    EXPECT_EQ(field->getTextFont(), 6);
    field->setFontSize(0); // keeps 9
    EXPECT_EQ(field->getFontSize(), 9);
    field->setFontSize(13);
    EXPECT_EQ(field->getTextFont(), 7);
    field->setFontSize(99); // no such size: the font stays
    EXPECT_EQ(field->getTextFont(), 7);
}

} // namespace
} // namespace chorus
