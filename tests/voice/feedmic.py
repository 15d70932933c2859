#!/usr/bin/env python3
"""A microphone on a sound server's pipe source: feedmic.py FIFO RAW BEFORE AFTER START DONE.

Writes silence at the pace of sound from the start, as a microphone delivers all the time;
once the file START exists, BEFORE seconds more of silence, then RAW (16 kHz mono 16-bit
little-endian audio), then AFTER seconds of silence, and creates the file DONE; then silence
again until it is stopped or the sound server goes away. The writes keep to the clock, 20 ms
at a time."""
import os
import signal
import sys
import time

RATE_BYTES = 32000  # a second of 16 kHz 16-bit mono


def silence(seconds):
    return bytes(int(seconds * RATE_BYTES) // 2 * 2)


def main():
    fifo, raw, before, after, start_file, done_file = sys.argv[1:7]
    speech = silence(float(before)) + open(raw, "rb").read() + silence(float(after))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    out = os.open(fifo, os.O_WRONLY)
    clock = time.monotonic()
    sent = 0  # bytes of sound so far, silence included
    spoken = None  # where in the sound the speech began
    while True:
        due = int((time.monotonic() - clock) * RATE_BYTES) // 2 * 2
        if spoken is None and os.path.exists(start_file):
            spoken = sent
        if due > sent:
            if spoken is None or sent - spoken >= len(speech):
                chunk = bytes(due - sent)
            else:
                chunk = speech[sent - spoken : due - spoken]
            try:
                sent += os.write(out, chunk)
            except BrokenPipeError:
                return
        if spoken is not None and sent - spoken >= len(speech) and not os.path.exists(done_file):
            open(done_file, "w").close()
        time.sleep(0.02)


if __name__ == "__main__":
    main()
