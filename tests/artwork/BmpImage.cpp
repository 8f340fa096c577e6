#include "BmpImage.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

constexpr std::size_t fileHeaderBytes = 14;
constexpr std::size_t infoHeaderBytes = 40;
constexpr int uncompressedRgb24 = 24;

std::uint32_t readU32(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

std::uint16_t readU16(const std::vector<unsigned char>& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

} // namespace

bool BmpImage::fail(std::string why) {
    error_ = std::move(why);
    pixels_.clear();
    return false;
}

bool BmpImage::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail("cannot open " + path);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in),
                                           std::istreambuf_iterator<char>()};
    if (bytes.size() < fileHeaderBytes + infoHeaderBytes || bytes[0] != 'B' || bytes[1] != 'M')
        return fail(path + ": not a bitmap file");
    if (readU32(bytes, 2) != bytes.size())
        return fail(path + ": file size field disagrees with the file");
    if (readU32(bytes, 14) != infoHeaderBytes)
        return fail(path + ": not a BITMAPINFOHEADER");

    const auto signedWidth = static_cast<std::int32_t>(readU32(bytes, 18));
    const auto signedHeight = static_cast<std::int32_t>(readU32(bytes, 22));
    width_ = signedWidth;
    height_ = std::abs(signedHeight);
    bottomUp_ = signedHeight > 0;
    planes_ = readU16(bytes, 26);
    bitsPerPixel_ = readU16(bytes, 28);
    compression_ = readU32(bytes, 30);
    if (bitsPerPixel_ != uncompressedRgb24 || compression_ != 0 || width_ <= 0 || height_ == 0)
        return true; // header only: the caller checks the depth and compression

    const std::size_t offset = readU32(bytes, 10);
    const std::size_t rowBytes = (static_cast<std::size_t>(width_) * 3 + 3) & ~std::size_t{3};
    if (offset < fileHeaderBytes + infoHeaderBytes ||
        offset + rowBytes * static_cast<std::size_t>(height_) > bytes.size())
        return fail(path + ": pixel data outside the file");

    pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    for (int y = 0; y < height_; ++y) {
        const int storedRow = bottomUp_ ? height_ - 1 - y : y;
        const std::size_t row = offset + rowBytes * static_cast<std::size_t>(storedRow);
        for (int x = 0; x < width_; ++x) {
            const std::size_t p = row + static_cast<std::size_t>(x) * 3;
            pixels_[static_cast<std::size_t>(y * width_ + x)] = Rgb{bytes[p + 2], bytes[p + 1], bytes[p]};
        }
    }
    return true;
}
