#include "host/window/PngWriter.h"

#include "tests/editor/PngReader.h"

#include <gtest/gtest.h>

#ifdef CHORUS_TEST_ZLIB
#include <zlib.h>
#endif

#include <cstdio>
#include <string>
#include <vector>

namespace chorus::test {

namespace {

using host::PngWriter;

std::vector<std::uint8_t> pattern(int width, int height) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width * height * 3));
    for (std::size_t i = 0; i < rgb.size(); ++i) {
        rgb[i] = static_cast<std::uint8_t>((i * 7 + i / 3) & 0xFF);
    }
    return rgb;
}

TEST(PngWriter, ChecksumsMatchTheirPublishedCheckValues) {
    const std::string text = "123456789";
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    EXPECT_EQ(PngWriter::crc32(bytes, text.size()), 0xCBF43926u);
    const std::string wiki = "Wikipedia";
    EXPECT_EQ(PngWriter::adler32(reinterpret_cast<const std::uint8_t*>(wiki.data()), wiki.size()),
              0x11E60398u);
    // Continuing a running checksum gives the same as one pass.
    EXPECT_EQ(PngWriter::crc32(bytes + 4, 5, PngWriter::crc32(bytes, 4)), 0xCBF43926u);
}

TEST(PngWriter, SmallAndMultiBlockPicturesReadBackExactly) {
    for (const auto& [w, h] : {std::pair{3, 2}, std::pair{238, 226}, std::pair{1, 1}}) {
        const auto rgb = pattern(w, h);
        const auto png = PngWriter::encode(w, h, rgb.data());
        PngImage image;
        std::string error;
        ASSERT_TRUE(image.read(png, error)) << error << " for " << w << " x " << h;
        EXPECT_EQ(image.width, w);
        EXPECT_EQ(image.height, h);
        EXPECT_EQ(image.rgb, rgb);
    }
}

#ifdef CHORUS_TEST_ZLIB
// An independent decoder: zlib inflates the image data the writer stored.
TEST(PngWriter, ZlibInflatesTheImageData) {
    const int w = 238;
    const int h = 226; // more than one stored block
    const auto rgb = pattern(w, h);
    const auto png = PngWriter::encode(w, h, rgb.data());
    std::vector<std::uint8_t> stream;
    for (std::size_t at = 8; at + 12 <= png.size();) {
        const std::uint32_t length = (png[at] << 24) | (png[at + 1] << 16) | (png[at + 2] << 8) | png[at + 3];
        const std::uint32_t stored = (png[at + 8 + length] << 24) | (png[at + 9 + length] << 16) |
                                     (png[at + 10 + length] << 8) | png[at + 11 + length];
        EXPECT_EQ(::crc32(0, &png[at + 4], length + 4), stored);
        if (std::string(reinterpret_cast<const char*>(&png[at + 4]), 4) == "IDAT") {
            stream.insert(stream.end(), &png[at + 8], &png[at + 8] + length);
        }
        at += 12 + length;
    }
    std::vector<std::uint8_t> raw(static_cast<std::size_t>((w * 3 + 1) * h) + 16);
    uLongf size = static_cast<uLongf>(raw.size());
    ASSERT_EQ(uncompress(raw.data(), &size, stream.data(), static_cast<uLong>(stream.size())), Z_OK);
    ASSERT_EQ(size, static_cast<uLongf>((w * 3 + 1) * h));
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* row = &raw[static_cast<std::size_t>(y * (w * 3 + 1))];
        ASSERT_EQ(row[0], 0);
        ASSERT_TRUE(std::equal(row + 1, row + 1 + w * 3, rgb.begin() + y * w * 3)) << "row " << y;
    }
}
#endif

TEST(PngWriter, RefusesEmptyPicturesAndUnwritablePaths) {
    const std::uint8_t pixel[3] = {1, 2, 3};
    EXPECT_TRUE(PngWriter::encode(0, 5, pixel).empty());
    EXPECT_TRUE(PngWriter::encode(5, -1, pixel).empty());
    EXPECT_TRUE(PngWriter::encode(1, 1, nullptr).empty());
    std::string error;
    EXPECT_FALSE(PngWriter::write("no-such-folder/x/picture.png", 1, 1, pixel, error));
    EXPECT_FALSE(error.empty());
    const std::string path = "editor_png_test_out.png";
    ASSERT_TRUE(PngWriter::write(path, 1, 1, pixel, error)) << error;
    PngImage image;
    ASSERT_TRUE(image.load(path, error)) << error;
    EXPECT_EQ(image.pixel(0, 0), 0x010203u);
    std::remove(path.c_str());
}

} // namespace

} // namespace chorus::test
