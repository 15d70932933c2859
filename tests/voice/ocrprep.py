#!/usr/bin/env python3
"""Readies a screen shot for OCR: ocrprep.py IN.png OUT.ppm [SCALE].

Reads the RGB PNG that tools/x11shot.py writes, turns light text on dark (the band) into dark
on light, and enlarges it SCALE times (1 unless given): tesseract reads small text poorly."""
import struct
import sys
import zlib


def read_png(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    at, idat, width, height = 8, b"", 0, 0
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour == 2, "only 8-bit RGB"
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    raw = zlib.decompress(idat)
    stride = 3 * width
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride if kind else 0):
            left = line[x - 3] if x >= 3 else 0
            up = previous[x]
            if kind == 1:
                line[x] = (line[x] + left) & 255
            elif kind == 2:
                line[x] = (line[x] + up) & 255
            elif kind == 3:
                line[x] = (line[x] + (left + up) // 2) & 255
            elif kind == 4:
                corner = previous[x - 3] if x >= 3 else 0
                p = left + up - corner
                best = min((abs(p - left), 0, left), (abs(p - up), 1, up),
                           (abs(p - corner), 2, corner))[2]
                line[x] = (line[x] + best) & 255
        rows.append(line)
        previous = line
    return width, height, rows


def main():
    source, target = sys.argv[1], sys.argv[2]
    scale = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    width, height, rows = read_png(source)
    # Light text on dark becomes dark on light; a light page is left as it is.
    if sum(sum(r) for r in rows) < 128 * 3 * width * height:
        invert = bytes(255 - v for v in range(256))
        rows = [r.translate(invert) for r in rows]
    with open(target, "wb") as out:
        out.write(b"P6 %d %d 255\n" % (width * scale, height * scale))
        for r in rows:
            line = r if scale == 1 else b"".join(bytes(r[3 * x:3 * x + 3]) * scale
                                                 for x in range(width))
            out.write(bytes(line) * scale)


if __name__ == "__main__":
    main()
