#!/usr/bin/env python3
"""Reads the text line of an image nearest to a height: ocrline.py IMAGE Y.

Prints the line's words and the height of its box, from tesseract's word boxes
(white text on black is turned dark on light first). Prints nothing when no
text is found."""
import subprocess
import sys
import tempfile


def main() -> int:
    image, y = sys.argv[1], float(sys.argv[2])
    with tempfile.NamedTemporaryFile(suffix=".png") as negative:
        subprocess.run(["convert", image, "-negate", negative.name], check=True)
        tsv = subprocess.run(["tesseract", negative.name, "-", "--psm", "6", "tsv"],
                             check=True, capture_output=True, text=True).stdout
    lines = {}
    for row in tsv.splitlines()[1:]:
        fields = row.split("\t")
        if len(fields) < 12 or fields[0] != "5" or not fields[11].strip():
            continue
        key = tuple(fields[2:5])
        top, height = int(fields[7]), int(fields[9])
        words, low, high = lines.get(key, ([], top, top + height))
        words.append(fields[11].strip())
        lines[key] = (words, min(low, top), max(high, top + height))
    if not lines:
        return 0
    words, low, high = min(lines.values(),
                           key=lambda line: 0 if line[1] <= y <= line[2] else
                           min(abs(line[1] - y), abs(line[2] - y)))
    print(" ".join(words), high - low)
    return 0


if __name__ == "__main__":
    sys.exit(main())
