#!/usr/bin/env python3
"""Draws Quillbox's 32 x 32 application icon (a quill over a closed box) and writes it as .ico.

usage: make_icon.py OUT.ico
"""
import math
import struct
import sys

N = 32


def pixel(x, y):
    """BGRA colour of pixel (x, y), y counted from the top."""
    cx, cy = x + 0.5, y + 0.5
    # The quill: a long thin leaf from the lower left to the upper right, over everything.
    t = ((cx - 6) * 0.70 + (26 - cy) * 0.71)          # distance along the quill's axis
    d = abs((cx - 6) * 0.71 - (26 - cy) * 0.70)       # distance from its axis
    if 0 <= t <= 27:
        width = 3.4 * math.sin(math.pi * min(1.0, (t - 3) / 24)) if t > 3 else 0.6
        if d <= 0.6:
            return (40, 40, 40, 255)                  # the shaft
        if d <= width:
            return (250, 250, 245, 255) if d < width - 0.9 else (120, 120, 120, 255)
    # The box: brown body with a darker lid and outline.
    if 4 <= cx <= 28 and 14 <= cy <= 29:
        edge = cx < 5 or cx > 27 or cy < 15 or cy > 28
        if edge:
            return (20, 45, 90, 255)
        if cy < 19:
            return (40, 90, 160, 255)                 # lid
        return (60, 130, 205, 255)
    return (0, 0, 0, 0)


def main():
    xor = bytearray()
    andmask = bytearray()
    for y in reversed(range(N)):                      # bitmaps are stored bottom-up
        bits = 0
        for x in range(N):
            b, g, r, a = pixel(x, y)
            xor += bytes((b, g, r, a))
            bits = (bits << 1) | (0 if a else 1)
        andmask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, N, 2 * N, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
    image = header + xor + andmask
    ico = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", N, N, 0, 0, 1, 32, len(image), 22) + image
    with open(sys.argv[1], "wb") as f:
        f.write(ico)


if __name__ == "__main__":
    main()
