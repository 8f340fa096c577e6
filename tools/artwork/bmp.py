"""Writes 24-bit uncompressed Windows bitmaps byte for byte, independent of the imaging library's encoder."""

import struct

from PIL import Image

FILE_HEADER_BYTES = 14
INFO_HEADER_BYTES = 40
BITS_PER_PIXEL = 24
COMPRESSION_NONE = 0  # BI_RGB
PIXELS_PER_METRE = 3780  # 96 dots per inch


def encode(image: Image.Image) -> bytes:
    """Bottom-up rows of blue, green, red triplets, each row padded to four bytes."""
    rgb = image.convert("RGB")
    width, height = rgb.size
    row_bytes = (width * 3 + 3) & ~3
    padding = b"\0" * (row_bytes - width * 3)
    raw = rgb.tobytes("raw", "BGR")
    rows = [raw[y * width * 3:(y + 1) * width * 3] + padding for y in range(height - 1, -1, -1)]
    pixels = b"".join(rows)
    offset = FILE_HEADER_BYTES + INFO_HEADER_BYTES
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info_header = struct.pack("<IiiHHIIiiII", INFO_HEADER_BYTES, width, height, 1, BITS_PER_PIXEL,
                              COMPRESSION_NONE, len(pixels), PIXELS_PER_METRE, PIXELS_PER_METRE, 0, 0)
    return file_header + info_header + pixels
