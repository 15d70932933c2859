#!/usr/bin/env python3
"""How far the picture moved up between two shots of one rectangle: shift.py BEFORE.png AFTER.png.

Prints the smallest dy > 0 for which every row y of AFTER equals row y + dy of BEFORE over the
rows they share (the text moved up by dy), 0 when the shots are equal, or -1 when no upward
shift explains AFTER. Reads the unfiltered PNGs that x11shot.py writes.
"""
import struct
import sys
import zlib


def rows(path: str) -> list:
    data = open(path, "rb").read()
    pos, width, height, idat = 8, 0, 0, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height = struct.unpack(">II", body[:8])
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = 1 + width * 3
    return [raw[y * stride + 1:(y + 1) * stride] for y in range(height)]


def main() -> int:
    before, after = rows(sys.argv[1]), rows(sys.argv[2])
    if before == after:
        print(0)
        return 0
    height = len(before)
    # At least a quarter of the rows must overlap, and they must not all be blank.
    for dy in range(1, height * 3 // 4):
        shared = after[:height - dy]
        if shared == before[dy:] and len(set(shared)) > 1:
            print(dy)
            return 0
    print(-1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
