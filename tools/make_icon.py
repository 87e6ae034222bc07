#!/usr/bin/env python3
"""Draws Tarvik's icon (a tawny disc with a white T) into an .ico file: 16, 32 and 48 pixels, 32-bit.

    python3 tools/make_icon.py shell/tarvik.ico
"""
import struct
import sys


def pixel(x, y, size):
    c = (size - 1) / 2
    r = size / 2 - 0.5
    d = ((x - c) ** 2 + (y - c) ** 2) ** 0.5
    if d > r:
        return (0, 0, 0, 0)
    u, v = x / size, y / size
    bar = 0.22 <= v <= 0.36 and 0.2 <= u <= 0.8
    stem = 0.36 <= v <= 0.8 and 0.42 <= u <= 0.58
    if bar or stem:
        return (255, 250, 240, 255)
    shade = max(0.0, 1 - d / r * 0.35)
    return (int(120 * shade), int(170 * shade), int(220 * shade), 255)  # B, G, R, A: tawny


def image(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, size * size * 4, 0, 0, 0, 0)
    rows = b"".join(bytes(c for p in (pixel(x, size - 1 - y, size) for x in range(size)) for c in p)
                    for y in range(size))
    mask_row = ((size + 31) // 32) * 4
    return header + rows + b"\0" * (mask_row * size)


def main(path):
    sizes = [16, 32, 48]
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
