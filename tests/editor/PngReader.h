#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace chorus::test {

// Reads the PNG files the host writes: 8-bit RGB, not interlaced, image data in stored deflate blocks,
// rows with filter 0. Checks every chunk's CRC and the stream's Adler checksum on the way.
struct PngImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // rows from the top

    bool read(const std::vector<std::uint8_t>& file, std::string& error);
    bool load(const std::string& path, std::string& error);
    // Red, green, blue of one pixel packed as 0xRRGGBB.
    std::uint32_t pixel(int x, int y) const;
};

} // namespace chorus::test
