#!/usr/bin/env python3
"""same-samples.py A.wav B.wav: passes (0) when both files hold the same sample format and the same sample
bytes, whatever other chunks their writers added; otherwise names the first differing frame and fails (1)."""
import struct
import sys


def chunks(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError(f"{path}: not a WAV file")
    found, pos = {}, 12
    while pos + 8 <= len(data):
        tag, size = data[pos:pos + 4], struct.unpack_from("<I", data, pos + 4)[0]
        found.setdefault(tag, data[pos + 8:pos + 8 + size])
        pos += 8 + size + (size & 1)
    return found


def sample_format(fmt):
    tag, channels, rate, _, block, bits = struct.unpack_from("<HHIIHH", fmt)
    if tag == 0xFFFE and len(fmt) >= 26:  # extensible: the sub-format's first two bytes are the real tag
        tag = struct.unpack_from("<H", fmt, 24)[0]
    return tag, channels, rate, block, bits


def main(a, b):
    ca, cb = chunks(a), chunks(b)
    fa, fb = sample_format(ca[b"fmt "]), sample_format(cb[b"fmt "])
    if fa != fb:
        print(f"FAIL {a} {b}: formats differ: {fa} vs {fb}")
        return 1
    da, db = ca[b"data"], cb[b"data"]
    if da == db:
        print(f"same {len(da)} sample bytes: {a} {b}")
        return 0
    block = fa[3]
    first = next((i for i in range(min(len(da), len(db))) if da[i] != db[i]), min(len(da), len(db)))
    print(f"FAIL {a} {b}: {len(da)} vs {len(db)} bytes, first difference in frame {first // block}")
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
