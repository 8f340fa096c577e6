// The parameter-from-text request with any text: it never writes past the host's buffer, and a plain
// decimal number is applied exactly, clamped to its parameter's range, while text without one changes
// nothing.
#include "FuzzCheck.h"
#include "FuzzEffect.h"
#include "FuzzInput.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr size_t maxTextLength = 400;
constexpr int32_t paramCount = 5;
constexpr float minimumOf[paramCount] = {0.0f, 0.0f, 0.0f, 1.0f, 0.0f};
constexpr float maximumOf[paramCount] = {100.0f, 5.0f, 5.0f, 4.0f, 2.0f};

// The plain value the display text stands for, within its printed precision.
float plainFromNormalised(int32_t index, float normalised) {
    return minimumOf[index] + normalised * (maximumOf[index] - minimumOf[index]);
}

// Optional blanks, an optional sign, digits with at most one point (a comma counts as the point), an
// optional exponent; then the end or a character that cannot continue a number. Texts of this form mean
// the same number to every reader; anything else is only required not to crash.
bool plainDecimal(const std::string& text, std::string& normalisedText) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    const size_t start = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        ++i;
        ++digits;
    }
    if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        if (j >= text.size() || !std::isdigit(static_cast<unsigned char>(text[j]))) {
            return false; // whether a bare "e" belongs to the number differs between readers
        }
        while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) {
            ++j;
        }
        i = j;
    }
    if (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '.' ||
                            text[i] == ',' || text[i] == '_')) {
        return false;
    }
    normalisedText = text.substr(start, i - start);
    std::replace(normalisedText.begin(), normalisedText.end(), ',', '.');
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    FuzzEffect effect;
    const uint8_t kind = input.byte();
    const int32_t index = kind < 240 ? input.intIn(-1, paramCount + 1) : input.i32();
    const std::string text = input.text(maxTextLength);
    // Exactly the text and its terminator, as a host passes it.
    std::vector<char> buffer(text.c_str(), text.c_str() + text.size() + 1);

    float before[paramCount];
    for (int32_t i = 0; i < paramCount; ++i) {
        before[i] = effect.getParam(i);
    }
    fuzzCheck(effect.dispatch(opParamFromText, index, 0, buffer.data(), 0.0f) == 1,
              "the text request answers 1");

    std::string number;
    const bool readable = plainDecimal(text, number);
    const bool hasDigit = std::any_of(
        text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
    for (int32_t i = 0; i < paramCount; ++i) {
        const float now = effect.getParam(i);
        if (i != index || !hasDigit) {
            fuzzCheck(now == before[i], "text without a number, or for another parameter, changed a value");
            continue;
        }
        if (!readable) {
            continue;
        }
        const float parsed = std::strtof(number.c_str(), nullptr);
        if (!std::isfinite(parsed)) {
            fuzzCheck(now == before[i], "a number too large to hold was applied");
            continue;
        }
        const float expected = std::clamp(parsed, minimumOf[i], maximumOf[i]);
        const float plain = plainFromNormalised(i, now);
        fuzzCheck(std::fabs(plain - expected) <= 1.0e-4f * (maximumOf[i] - minimumOf[i]),
                  "a typed number was not applied, clamped to its range");
    }
    effect.checkTexts();
    effect.dispatch(opPower, 0, 1, nullptr, 0.0f);
    effect.processBlock(input, 256, false);
    return 0;
}
