#pragma once

#include <cstddef>

namespace chorus {

// Number text for the text-showing controls. Everything here ignores the process locale: a host may
// have set one with a decimal comma, but fields always read either separator and always write a point.
// Every writer takes the size of its output buffer and never writes past it (the text is cut, but a
// number that does not fit in fixed notation is written in exponent form rather than cut).

// Buffer sizes of the controls, in bytes including the terminator.
inline constexpr std::size_t guiDisplayBufferSize = 256; // display text of a value display or field
inline constexpr std::size_t guiFieldTextSize = 256;     // stored text of a text field
inline constexpr std::size_t guiNumberTextSize = 16;     // number text written when a number is set
inline constexpr std::size_t guiSplashTextSize = 128;    // one line of the about splash

// Reads a number from text, first replacing every ',' by '.' in place. Leading white space and a sign
// are allowed; trailing characters are ignored. Nothing readable gives 0; infinities and numbers beyond
// the float range give the largest float of that sign; "nan" gives 0.
float parseNumberText(char* text) noexcept;

// Whether parseNumberText finds a number in text (anything but nothing or "nan"); text is not changed.
bool holdsNumber(const char* text) noexcept;

// Writes value with a fixed number of decimals ("%.Nf" in the C locale).
void formatFixed(char* out, std::size_t size, double value, int decimals) noexcept;

// Writes value as the shortest text that reads back as the same float.
void formatShortest(char* out, std::size_t size, float value) noexcept;

// Copies a zero-terminated text, cut to fit; a null text gives an empty one.
void copyText(char* out, std::size_t size, const char* text) noexcept;

// The number field's default display filter: reads the number in text, writes it back into text
// with one decimal and copies that to the display.
void reformatNumberText(char* text, std::size_t textSize, char* display, std::size_t displaySize) noexcept;

} // namespace chorus
