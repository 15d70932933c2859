#!/usr/bin/env python3
"""Watches a rectangle of the X screen from one process, fast enough to see
every second of a countdown: watchshots.py OUTDIR SECONDS X Y W H SX SY SW SH.

Saves each new picture of X Y W H as OUTDIR/NNN.png, until the rectangle
SX SY SW SH differs from how it looked at the start or SECONDS have passed."""
import ctypes
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../tools"))
import x11shot  # noqa: E402


def main() -> int:
    out = sys.argv[1]
    seconds = float(sys.argv[2])
    box = [int(v) for v in sys.argv[3:7]]
    stop = [int(v) for v in sys.argv[7:11]]
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XGetImage.restype = ctypes.POINTER(x11shot.XImage)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                              ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    x11.XDestroyImage.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        print("cannot open the display", file=sys.stderr)
        return 1
    root = x11.XDefaultRootWindow(display)

    def grab(x, y, w, h):
        image = x11.XGetImage(display, root, x, y, w, h, x11shot.ALL_PLANES, x11shot.Z_PIXMAP)
        stride = image.contents.bytes_per_line
        data = ctypes.string_at(image.contents.data, stride * h)
        x11.XDestroyImage(image)
        return stride, data

    start = grab(*stop)
    previous = None
    count = 0
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        stride, data = grab(*box)
        if data != previous:
            rows = []
            for row in range(box[3]):
                bgrx = data[row * stride: row * stride + box[2] * 4]
                rgb = bytearray(box[2] * 3)
                rgb[0::3] = bgrx[2::4]
                rgb[1::3] = bgrx[1::4]
                rgb[2::3] = bgrx[0::4]
                rows.append(b"\x00" + bytes(rgb))
            with open(os.path.join(out, f"{count:03d}.png"), "wb") as f:
                f.write(x11shot.png(box[2], box[3], b"".join(rows), 1))
            count += 1
            previous = data
        if grab(*stop) != start:
            return 0
        time.sleep(0.02)
    return 0


if __name__ == "__main__":
    sys.exit(main())
