#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

// A Windows bitmap file as stored: its header fields, and for 24-bit uncompressed files the pixels.
class BmpImage {
public:
    // Reads and validates the file; on failure answers false and says why in error().
    bool load(const std::string& path);

    const std::string& error() const { return error_; }
    int width() const { return width_; }
    int height() const { return height_; }
    int bitsPerPixel() const { return bitsPerPixel_; }
    std::uint32_t compression() const { return compression_; }
    int planes() const { return planes_; }
    bool bottomUp() const { return bottomUp_; }

    // (0, 0) is the top-left pixel.
    Rgb at(int x, int y) const { return pixels_[static_cast<std::size_t>(y * width_ + x)]; }
    bool isWhite(int x, int y) const { return at(x, y) == Rgb{255, 255, 255}; }

private:
    bool fail(std::string why);

    std::string error_;
    int width_ = 0;
    int height_ = 0;
    int bitsPerPixel_ = 0;
    std::uint32_t compression_ = 0;
    int planes_ = 0;
    bool bottomUp_ = true;
    std::vector<Rgb> pixels_;
};
