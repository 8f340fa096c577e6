// Reads the version block linked into this test program (the module's own resource script).
#include "plugin/VersionInfo.h"

#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

using chorus::VersionInfo;

TEST(VersionInfo, ReadsTheModulesOwnBlock) {
    VersionInfo info;
    ASSERT_TRUE(info.hasData());
    char word[16];
    std::snprintf(word, sizeof word, "%08lx", static_cast<unsigned long>(info.translation()));
    EXPECT_STREQ(word, "000004e4");
    char text[VersionInfo::textCapacity];
    info.fileVersionText(text);
    EXPECT_STREQ(text, "1.1.1");
    info.legalNoticeText(text);
    EXPECT_NE(std::strstr(text, "Quillfen Digital Audio"), nullptr) << text;
}

TEST(VersionInfo, TextsAreCutToTheGivenSize) {
    VersionInfo info;
    char small[4];
    std::memset(small, '#', sizeof small);
    info.fileVersionText(small, sizeof small);
    EXPECT_STREQ(small, "1.1");
    char one[1] = {'#'};
    info.legalNoticeText(one, sizeof one);
    EXPECT_EQ(one[0], '\0');
    info.legalNoticeText(nullptr, 10); // tolerated
}
