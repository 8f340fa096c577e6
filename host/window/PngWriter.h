#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace chorus::host {

// Writes 8-bit RGB pictures as PNG files. The image data goes into stored (uncompressed) deflate blocks:
// no compression library is needed and every decoder reads it.
class PngWriter {
public:
    static constexpr std::size_t maxStoredBlock = 65535; // bytes one stored deflate block can hold

    // rgb: width x height pixels, three bytes each, rows from the top. Empty for an empty picture or one
    // whose size does not fit the format.
    static std::vector<std::uint8_t> encode(int width, int height, const std::uint8_t* rgb);
    // False with a message in error when the picture is empty or the file cannot be written.
    static bool write(const std::string& path, int width, int height, const std::uint8_t* rgb,
                      std::string& error);

    static std::uint32_t crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0);
    static std::uint32_t adler32(const std::uint8_t* data, std::size_t size, std::uint32_t adler = 1);
};

} // namespace chorus::host
