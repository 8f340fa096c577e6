#include "gui/controls/GuiNumberText.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace chorus {

namespace {

// Room for any double in fixed notation with the decimals a field uses (309 digits, sign, point).
constexpr std::size_t scratchSize = 400;
constexpr int maxDecimals = 30;

bool isSpace(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

} // namespace

bool holdsNumber(const char* text) noexcept {
    if (text == nullptr) {
        return false;
    }
    char copy[guiFieldTextSize];
    copyText(copy, sizeof copy, text);
    const char* first = copy;
    while (isSpace(*first)) {
        ++first;
    }
    if (*first == '+' || *first == '-') {
        ++first;
    }
    if (*first == '+' || *first == '-') {
        return false; // as parseNumberText: one sign only
    }
    for (char* c = copy; *c != '\0'; ++c) {
        if (*c == ',') {
            *c = '.';
        }
    }
    double number = 0.0;
    const auto [end, error] =
        std::from_chars(first, copy + std::strlen(copy), number, std::chars_format::general);
    return end != first && !std::isnan(number);
}

float parseNumberText(char* text) noexcept {
    if (text == nullptr) {
        return 0.0f;
    }
    for (char* c = text; *c != '\0'; ++c) {
        if (*c == ',') {
            *c = '.';
        }
    }
    const char* first = text;
    while (isSpace(*first)) {
        ++first;
    }
    const bool negative = *first == '-';
    if (*first == '+' || *first == '-') {
        ++first;
    }
    // The sign was taken above so that "+1" reads as well as "-1".
    if (*first == '+' || *first == '-') {
        return 0.0f;
    }
    const char* last = first + std::strlen(first);
    float number = 0.0f;
    const auto [end, error] = std::from_chars(first, last, number, std::chars_format::general);
    if (end == first) {
        return 0.0f;
    }
    if (error == std::errc::result_out_of_range) {
        // Too small (a negative exponent) reads as 0, too large as the largest float.
        const char* exponent = first;
        while (exponent < end && *exponent != 'e' && *exponent != 'E') {
            ++exponent;
        }
        const bool underflow = exponent + 1 < end && exponent[1] == '-';
        number = underflow ? 0.0f : std::numeric_limits<float>::max();
    } else if (std::isnan(number)) {
        return 0.0f;
    } else if (std::isinf(number)) {
        number = std::numeric_limits<float>::max();
    }
    return negative ? -number : number;
}

void copyText(char* out, std::size_t size, const char* text) noexcept {
    if (out == nullptr || size == 0) {
        return;
    }
    std::size_t length = text == nullptr ? 0 : std::strlen(text);
    if (length > size - 1) {
        length = size - 1;
    }
    if (length > 0) {
        std::memmove(out, text, length);
    }
    out[length] = '\0';
}

void formatShortest(char* out, std::size_t size, float value) noexcept {
    char scratch[scratchSize];
    const auto result = std::to_chars(scratch, scratch + scratchSize - 1, value);
    *result.ptr = '\0';
    copyText(out, size, scratch);
}

void formatFixed(char* out, std::size_t size, double value, int decimals) noexcept {
    if (out == nullptr || size == 0) {
        return;
    }
    if (decimals < 0) {
        decimals = 0;
    } else if (decimals > maxDecimals) {
        decimals = maxDecimals;
    }
    char scratch[scratchSize];
    const auto result =
        std::to_chars(scratch, scratch + scratchSize - 1, value, std::chars_format::fixed, decimals);
    if (result.ec == std::errc{} && static_cast<std::size_t>(result.ptr - scratch) < size) {
        *result.ptr = '\0';
        copyText(out, size, scratch);
        return;
    }
    // Cutting a fixed number would show a different number: use the exponent form instead.
    const auto shortest = std::to_chars(scratch, scratch + scratchSize - 1, value,
                                        std::chars_format::scientific, decimals < 6 ? decimals : 6);
    *shortest.ptr = '\0';
    if (static_cast<std::size_t>(shortest.ptr - scratch) >= size) {
        const auto tight = std::to_chars(scratch, scratch + scratchSize - 1, static_cast<float>(value));
        *tight.ptr = '\0';
    }
    copyText(out, size, scratch);
}

void reformatNumberText(char* text, std::size_t textSize, char* display, std::size_t displaySize) noexcept {
    if (text == nullptr) {
        copyText(display, displaySize, "");
        return;
    }
    const float number = parseNumberText(text);
    formatFixed(text, textSize, number, 1);
    copyText(display, displaySize, text);
}

} // namespace chorus
