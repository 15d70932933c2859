#!/usr/bin/env python3
"""Saves a rectangle of the X screen as a PNG: x11shot.py OUT.png X Y WIDTH HEIGHT."""
import ctypes
import struct
import sys
import zlib

Z_PIXMAP = 2
ALL_PLANES = 0xFFFFFFFF


class XImage(ctypes.Structure):
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
        ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
        ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
        ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
        ("bits_per_pixel", ctypes.c_int),
    ]


def png(width: int, height: int, rows: bytes) -> bytes:
    def chunk(kind: bytes, body: bytes) -> bytes:
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def main() -> int:
    out = sys.argv[1]
    x, y, width, height = (int(v) for v in sys.argv[2:6])
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XGetImage.restype = ctypes.POINTER(XImage)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                              ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    display = x11.XOpenDisplay(None)
    if not display:
        print("cannot open the display", file=sys.stderr)
        return 1
    image = x11.XGetImage(display, x11.XDefaultRootWindow(display), x, y, width, height,
                          ALL_PLANES, Z_PIXMAP)
    if not image or image.contents.bits_per_pixel != 32:
        print("expected a 24-bit screen", file=sys.stderr)
        return 1
    stride = image.contents.bytes_per_line
    data = ctypes.string_at(image.contents.data, stride * height)
    rows = bytearray()
    for row in range(height):
        line = data[row * stride: row * stride + width * 4]
        rows.append(0)  # no filter
        for px in range(width):  # BGRX in memory on a little-endian server
            rows += bytes((line[px * 4 + 2], line[px * 4 + 1], line[px * 4]))
    with open(out, "wb") as f:
        f.write(png(width, height, bytes(rows)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
