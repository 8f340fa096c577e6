#include "plugin/VersionInfo.h"

#include "plugin/ModuleInstance.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <windows.h>

namespace chorus {

namespace {
constexpr DWORD moduleNameCapacity = 255; // characters of the module's path, terminator included
}

VersionInfo::VersionInfo() {
    char fileName[moduleNameCapacity] = {};
    if (GetModuleFileNameA(static_cast<HMODULE>(moduleInstance()), fileName, moduleNameCapacity - 1) == 0) {
        return;
    }
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(fileName, &handle);
    if (size == 0) {
        return;
    }
    data.reset(new (std::nothrow) std::uint8_t[size]);
    if (data == nullptr) {
        return;
    }
    if (!GetFileVersionInfoA(fileName, 0, size, data.get())) {
        data.reset();
        return;
    }
    void* entry = nullptr;
    UINT entryLength = 0;
    char subBlock[] = "\\VarFileInfo\\Translation";
    if (!VerQueryValueA(data.get(), subBlock, &entry, &entryLength) || entry == nullptr ||
        entryLength < sizeof(std::uint32_t)) {
        data.reset();
        return;
    }
    // Stored as language, code page (two 16-bit words): swap so the word prints language first.
    translationEntry = static_cast<std::uint32_t*>(entry);
    const std::uint32_t word = *translationEntry;
    *translationEntry = (word << 16) | (word >> 16);
}

VersionInfo::~VersionInfo() = default;

std::uint32_t VersionInfo::translation() const noexcept {
    return data != nullptr && translationEntry != nullptr ? *translationEntry : 0;
}

void VersionInfo::queryString(const char* key, char* out, std::size_t size) const {
    if (out == nullptr || size == 0) {
        return;
    }
    out[0] = '\0';
    if (data == nullptr) {
        return;
    }
    char subBlock[64];
    std::snprintf(subBlock, sizeof subBlock, "\\StringFileInfo\\%08lx\\%s",
                  static_cast<unsigned long>(translation()), key);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.get(), subBlock, &value, &length) || value == nullptr) {
        return;
    }
    const char* text = static_cast<const char*>(value);
    const std::size_t copied = strnlen(text, size - 1);
    std::memcpy(out, text, copied);
    out[copied] = '\0';
}

void VersionInfo::fileVersionText(char* out, std::size_t size) const {
    queryString("FileVersion", out, size);
}

void VersionInfo::legalNoticeText(char* out, std::size_t size) const {
    queryString("LegalCopyright", out, size);
}

} // namespace chorus
