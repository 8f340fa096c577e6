#include "host/window/PngWriter.h"

#include "host/audio/SafeFileWriter.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

namespace chorus::host {

namespace {

constexpr std::array<std::uint8_t, 8> signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t bitDepth = 8;
constexpr std::uint8_t colourTypeRgb = 2;
constexpr int bytesPerPixel = 3;
constexpr std::uint8_t filterNone = 0;
constexpr std::uint8_t zlibMethod = 0x78; // deflate, 32 KiB window
constexpr std::uint8_t zlibFlags = 0x01;  // no dictionary, fastest; makes the header a multiple of 31
constexpr std::uint32_t adlerModulus = 65521;

void putBig32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void putChunk(std::vector<std::uint8_t>& out, const char* type, const std::vector<std::uint8_t>& data) {
    putBig32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeStart = out.size();
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(type[i]));
    }
    out.insert(out.end(), data.begin(), data.end());
    putBig32(out, PngWriter::crc32(out.data() + typeStart, out.size() - typeStart));
}

const std::array<std::uint32_t, 256>& crcTable() {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    return table;
}

} // namespace

std::uint32_t PngWriter::crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc) {
    const auto& table = crcTable();
    std::uint32_t c = crc ^ 0xFFFFFFFFU;
    for (std::size_t i = 0; i < size; ++i) {
        c = table[(c ^ data[i]) & 0xFFU] ^ (c >> 8);
    }
    return c ^ 0xFFFFFFFFU;
}

std::uint32_t PngWriter::adler32(const std::uint8_t* data, std::size_t size, std::uint32_t adler) {
    std::uint32_t a = adler & 0xFFFFU;
    std::uint32_t b = adler >> 16;
    for (std::size_t i = 0; i < size; ++i) {
        a = (a + data[i]) % adlerModulus;
        b = (b + a) % adlerModulus;
    }
    return (b << 16) | a;
}

std::vector<std::uint8_t> PngWriter::encode(int width, int height, const std::uint8_t* rgb) {
    if (width <= 0 || height <= 0 || rgb == nullptr) {
        return {};
    }
    const auto rowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
    // The stream, its blocks and the chunk length must stay within 32 bits.
    constexpr std::size_t limit = std::numeric_limits<std::uint32_t>::max() / 2;
    if (rowBytes + 1 > limit / static_cast<std::size_t>(height)) {
        return {};
    }

    // Each row starts with its filter byte.
    std::vector<std::uint8_t> raw;
    raw.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back(filterNone);
        const std::uint8_t* row = rgb + rowBytes * static_cast<std::size_t>(y);
        raw.insert(raw.end(), row, row + rowBytes);
    }

    std::vector<std::uint8_t> stream{zlibMethod, zlibFlags};
    std::size_t done = 0;
    do {
        const std::size_t length = std::min(maxStoredBlock, raw.size() - done);
        const bool last = done + length == raw.size();
        stream.push_back(last ? 1 : 0); // stored block, final bit on the last one
        stream.push_back(static_cast<std::uint8_t>(length & 0xFFU));
        stream.push_back(static_cast<std::uint8_t>(length >> 8));
        stream.push_back(static_cast<std::uint8_t>(~length & 0xFFU));
        stream.push_back(static_cast<std::uint8_t>((~length >> 8) & 0xFFU));
        stream.insert(stream.end(), raw.begin() + static_cast<std::ptrdiff_t>(done),
                      raw.begin() + static_cast<std::ptrdiff_t>(done + length));
        done += length;
    } while (done < raw.size());
    putBig32(stream, adler32(raw.data(), raw.size()));

    std::vector<std::uint8_t> header;
    putBig32(header, static_cast<std::uint32_t>(width));
    putBig32(header, static_cast<std::uint32_t>(height));
    header.push_back(bitDepth);
    header.push_back(colourTypeRgb);
    header.push_back(0); // deflate
    header.push_back(0); // adaptive filtering
    header.push_back(0); // not interlaced

    std::vector<std::uint8_t> png(signature.begin(), signature.end());
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", stream);
    putChunk(png, "IEND", {});
    return png;
}

bool PngWriter::write(const std::string& path, int width, int height, const std::uint8_t* rgb,
                      std::string& error) {
    const std::vector<std::uint8_t> png = encode(width, height, rgb);
    if (png.empty()) {
        error = "no picture to write to " + path;
        return false;
    }
    SafeFileWriter file;
    if (!file.open(path, error)) {
        return false;
    }
    file.write(png.data(), png.size()); // a failure is reported by commit
    return file.commit(error);
}

} // namespace chorus::host
