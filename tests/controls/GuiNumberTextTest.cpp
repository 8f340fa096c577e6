#include "gui/controls/GuiNumberText.h"

#include <cfloat>
#include <clocale>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace chorus {
namespace {

float parse(std::string text) {
    return parseNumberText(text.data());
}

// A host may run with a decimal-comma locale: every case runs under one.
class NumberText : public ::testing::Test {
protected:
    void SetUp() override {
        const char* current = std::setlocale(LC_ALL, nullptr);
        saved = current != nullptr ? current : "C";
        commaLocale =
            std::setlocale(LC_ALL, "German") != nullptr || std::setlocale(LC_ALL, "de_DE") != nullptr;
    }
    void TearDown() override { std::setlocale(LC_ALL, saved.c_str()); }

    std::string saved;
    bool commaLocale = false;
};

TEST_F(NumberText, ReadsEitherDecimalSeparatorAndRewritesCommasInPlace) {
    ASSERT_TRUE(commaLocale) << "no decimal-comma locale to test under";
    char text[] = "12,5";
    EXPECT_EQ(parseNumberText(text), 12.5f);
    EXPECT_STREQ(text, "12.5");
    EXPECT_EQ(parse("12.5"), 12.5f);
    EXPECT_EQ(parse("-3,25"), -3.25f);
    EXPECT_EQ(parse("  +7.5Hz"), 7.5f);
    EXPECT_EQ(parse("2e3"), 2000.0f);
    EXPECT_EQ(parse(""), 0.0f);
    EXPECT_EQ(parse("abc"), 0.0f);
    EXPECT_EQ(parse("--4"), 0.0f);
    EXPECT_EQ(parseNumberText(nullptr), 0.0f);
}

TEST_F(NumberText, NonFiniteAndOutOfRangeTextsReadAsFiniteNumbers) {
    EXPECT_EQ(parse("1e999"), FLT_MAX);
    EXPECT_EQ(parse("-1e999"), -FLT_MAX);
    EXPECT_EQ(parse("inf"), FLT_MAX);
    EXPECT_EQ(parse("-infinity"), -FLT_MAX);
    EXPECT_EQ(parse("nan"), 0.0f);
    EXPECT_EQ(parse("1e-999"), 0.0f);
}

TEST_F(NumberText, WritesAPointWhateverTheLocale) {
    ASSERT_TRUE(commaLocale);
    char out[32];
    formatFixed(out, sizeof out, 0.5, 2);
    EXPECT_STREQ(out, "0.50");
    formatFixed(out, sizeof out, -12.25, 1);
    EXPECT_STREQ(out, "-12.2"); // 12.25 is exact: ties go to even, as printf does
    formatFixed(out, sizeof out, 2.0, 0);
    EXPECT_STREQ(out, "2");
    formatShortest(out, sizeof out, 0.1f);
    EXPECT_STREQ(out, "0.1");
}

TEST_F(NumberText, NeverWritesPastTheBufferAndNeverCutsANumberShort) {
    char out[20];
    std::memset(out, '#', sizeof out);
    formatFixed(out, 16, 3.4e38, 1); // 39 digits in fixed notation
    EXPECT_LT(std::strlen(out), 16u);
    EXPECT_EQ(out[16], '#');
    EXPECT_NEAR(parse(out), 3.4e38f, 1.0e33f) << out;

    std::memset(out, '#', sizeof out);
    formatShortest(out, 16, -1.17549435e-38f);
    EXPECT_LT(std::strlen(out), 16u);
    EXPECT_EQ(parse(out), -1.17549435e-38f);

    std::memset(out, '#', sizeof out);
    formatFixed(out, 1, 5.0, 2);
    EXPECT_EQ(out[0], '\0');
    EXPECT_EQ(out[1], '#');
    formatFixed(out, 0, 5.0, 2); // nothing at all
    EXPECT_EQ(out[1], '#');

    std::string longText(300, 'x');
    std::memset(out, '#', sizeof out);
    copyText(out, 8, longText.c_str());
    EXPECT_STREQ(out, "xxxxxxx");
    EXPECT_EQ(out[8], '#');
}

TEST_F(NumberText, ReformatterWritesOneDecimalBackAndShowsIt) {
    char text[guiFieldTextSize] = "12,5";
    char display[guiDisplayBufferSize];
    reformatNumberText(text, sizeof text, display, sizeof display);
    EXPECT_STREQ(text, "12.5");
    EXPECT_STREQ(display, "12.5");
    std::strcpy(text, "3,14159");
    reformatNumberText(text, sizeof text, display, 4);
    EXPECT_STREQ(text, "3.1");
    EXPECT_STREQ(display, "3.1");
    std::strcpy(text, "junk");
    reformatNumberText(text, sizeof text, display, sizeof display);
    EXPECT_STREQ(display, "0.0");
}

} // namespace
} // namespace chorus
