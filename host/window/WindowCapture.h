#pragma once

#include <cstdint>
#include <vector>

namespace chorus::host {

// Copies the top-left width x height pixels of a window's client area (an HWND) as three bytes each (red,
// green, blue), rows from the top. False when the window has no device context or the copy fails. Windows
// only.
bool captureWindow(void* window, int width, int height, std::vector<std::uint8_t>& rgb);

} // namespace chorus::host
