#!/usr/bin/env python3
"""Saves a rectangle of the X screen as a PNG: x11shot.py [--fast] OUT.png X Y WIDTH HEIGHT.

--fast compresses lightly, quick enough for tests that poll the screen."""
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


def png(width: int, height: int, rows: bytes, level: int) -> bytes:
    def chunk(kind: bytes, body: bytes) -> bytes:
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(rows, level)) + chunk(b"IEND", b""))


def main() -> int:
    args = sys.argv[1:]
    level = 9
    if args and args[0] == "--fast":
        level = 1
        args = args[1:]
    out = args[0]
    x, y, width, height = (int(v) for v in args[1:5])
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
    rows = []
    for row in range(height):
        bgrx = data[row * stride: row * stride + width * 4]
        rgb = bytearray(width * 3)
        rgb[0::3] = bgrx[2::4]  # BGRX in memory on a little-endian server
        rgb[1::3] = bgrx[1::4]
        rgb[2::3] = bgrx[0::4]
        rows.append(b"\x00" + bytes(rgb))  # no filter
    with open(out, "wb") as f:
        f.write(png(width, height, b"".join(rows), level))
    return 0


if __name__ == "__main__":
    sys.exit(main())
