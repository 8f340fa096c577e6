#include "tests/editor/PngReader.h"

#include "host/window/PngWriter.h"

#include <cstdio>
#include <cstring>

namespace chorus::test {

namespace {

std::uint32_t big32(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}

} // namespace

bool PngImage::read(const std::vector<std::uint8_t>& file, std::string& error) {
    static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (file.size() < 8 || std::memcmp(file.data(), signature, 8) != 0) {
        error = "no PNG signature";
        return false;
    }
    std::vector<std::uint8_t> stream;
    bool header = false;
    bool ended = false;
    std::size_t at = 8;
    while (at + 12 <= file.size() && !ended) {
        const std::uint32_t length = big32(&file[at]);
        if (at + 12 + length > file.size()) {
            error = "chunk runs past the file";
            return false;
        }
        const std::uint8_t* type = &file[at + 4];
        const std::uint8_t* data = &file[at + 8];
        if (host::PngWriter::crc32(type, length + 4) != big32(data + length)) {
            error = "bad chunk CRC";
            return false;
        }
        if (std::memcmp(type, "IHDR", 4) == 0) {
            width = static_cast<int>(big32(data));
            height = static_cast<int>(big32(data + 4));
            if (length != 13 || data[8] != 8 || data[9] != 2 || data[12] != 0) {
                error = "not 8-bit RGB without interlace";
                return false;
            }
            header = true;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            stream.insert(stream.end(), data, data + length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            ended = true;
        }
        at += 12 + length;
    }
    if (!header || !ended || stream.size() < 6 || ((stream[0] << 8) | stream[1]) % 31 != 0) {
        error = "missing header, end or zlib header";
        return false;
    }
    std::vector<std::uint8_t> raw;
    std::size_t p = 2;
    bool last = false;
    while (!last) {
        if (p + 5 > stream.size() || (stream[p] & 0x06) != 0) {
            error = "not a stored block";
            return false;
        }
        last = (stream[p] & 1) != 0;
        const unsigned len = stream[p + 1] | (stream[p + 2] << 8);
        const unsigned nlen = stream[p + 3] | (stream[p + 4] << 8);
        if ((len ^ 0xFFFFu) != nlen || p + 5 + len > stream.size()) {
            error = "bad stored block length";
            return false;
        }
        raw.insert(raw.end(), stream.begin() + static_cast<std::ptrdiff_t>(p + 5),
                   stream.begin() + static_cast<std::ptrdiff_t>(p + 5 + len));
        p += 5 + len;
    }
    if (p + 4 != stream.size() || big32(&stream[p]) != host::PngWriter::adler32(raw.data(), raw.size())) {
        error = "bad Adler checksum";
        return false;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    if (raw.size() != (rowBytes + 1) * static_cast<std::size_t>(height)) {
        error = "image data of the wrong size";
        return false;
    }
    rgb.clear();
    for (int y = 0; y < height; ++y) {
        const std::size_t row = static_cast<std::size_t>(y) * (rowBytes + 1);
        if (raw[row] != 0) {
            error = "row filter other than none";
            return false;
        }
        rgb.insert(rgb.end(), raw.begin() + static_cast<std::ptrdiff_t>(row + 1),
                   raw.begin() + static_cast<std::ptrdiff_t>(row + 1 + rowBytes));
    }
    return true;
}

bool PngImage::load(const std::string& path, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    std::fclose(file);
    return read(bytes, error);
}

std::uint32_t PngImage::pixel(int x, int y) const {
    const std::size_t i =
        (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
    return (static_cast<std::uint32_t>(rgb[i]) << 16) | (static_cast<std::uint32_t>(rgb[i + 1]) << 8) |
           rgb[i + 2];
}

} // namespace chorus::test
