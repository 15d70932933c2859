#!/usr/bin/env python3
"""Speaks into a sound server's pipe source at the pace of speech:
feedmic.py FIFO RAW [SILENCE_BEFORE] [SILENCE_AFTER].

RAW is 16 kHz mono 16-bit little-endian audio; silence is written before and after it (in
seconds, 1 and 3 unless given). The writes keep to the clock, 20 ms at a time."""
import os
import sys
import time

RATE_BYTES = 32000  # a second of 16 kHz 16-bit mono


def main():
    fifo, raw = sys.argv[1], sys.argv[2]
    before = float(sys.argv[3]) if len(sys.argv) > 3 else 1.0
    after = float(sys.argv[4]) if len(sys.argv) > 4 else 3.0
    speech = open(raw, "rb").read()
    audio = bytes(int(before * RATE_BYTES) // 2 * 2) + speech + bytes(int(after * RATE_BYTES) // 2 * 2)
    out = os.open(fifo, os.O_WRONLY)
    start = time.monotonic()
    sent = 0
    while sent < len(audio):
        due = min(len(audio), int((time.monotonic() - start) * RATE_BYTES) // 2 * 2)
        if due > sent:
            sent += os.write(out, audio[sent:due])
        time.sleep(0.02)
    os.close(out)


if __name__ == "__main__":
    main()
