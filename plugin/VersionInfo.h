#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace chorus {

// Reads the file version and the legal notice from the module's own version block (Windows only).
// Without a block, or without a translation table, both texts come back empty.
class VersionInfo {
public:
    static constexpr std::size_t textCapacity = 128; // bytes the about lines hold, terminator included

    VersionInfo();
    ~VersionInfo();
    VersionInfo(const VersionInfo&) = delete;
    VersionInfo& operator=(const VersionInfo&) = delete;

    // Copy the value into out, cut to size - 1 characters.
    void fileVersionText(char* out, std::size_t size = textCapacity) const;
    void legalNoticeText(char* out, std::size_t size = textCapacity) const;

    bool hasData() const noexcept { return data != nullptr; }
    // Language in the high half, code page in the low half (printed "%08lx": 000004e4); 0 without data.
    std::uint32_t translation() const noexcept;

private:
    void queryString(const char* key, char* out, std::size_t size) const;

    std::unique_ptr<std::uint8_t[]> data;
    std::uint32_t* translationEntry = nullptr;
};

} // namespace chorus
