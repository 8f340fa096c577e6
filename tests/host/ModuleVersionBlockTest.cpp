// The version block a Windows user sees in the module's properties.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>

namespace {

std::string query(std::vector<char>& block, const std::string& key) {
    void* value = nullptr;
    UINT length = 0;
    std::string path = "\\StringFileInfo\\000004e4\\" + key;
    if (!VerQueryValueA(block.data(), path.c_str(), &value, &length) || value == nullptr) {
        return "<missing>";
    }
    return static_cast<const char*>(value);
}

} // namespace

TEST(ModuleVersionBlock, NamesTheVersionAndTheCompany) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA("chorus.dll", &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA("chorus.dll", 0, size, block.data()));

    void* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation, &length));
    ASSERT_EQ(length, 4u); // exactly one entry
    const auto* words = static_cast<const WORD*>(translation);
    EXPECT_EQ(words[0], 0x0000);
    EXPECT_EQ(words[1], 0x04E4);

    EXPECT_EQ(query(block, "FileVersion"), "1.1.1");
    EXPECT_NE(query(block, "CompanyName").find("Quillfen Digital Audio"), std::string::npos);
    EXPECT_NE(query(block, "ProductName").find("Quillfen Digital Audio"), std::string::npos);
    const std::string notice = query(block, "LegalCopyright");
    EXPECT_NE(notice, "<missing>");
    EXPECT_LT(notice.size(), 128u); // fits the about picture's line
}
