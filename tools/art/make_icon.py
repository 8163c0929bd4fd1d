#!/usr/bin/env python3
"""Draws the program icon: a red record dot on a dark rounded tile, 16 and 32 pixels."""
import struct
import sys


def pixel(size, x, y):
    """BGRA of one pixel, with soft edges from 4x4 supersampling."""
    inside_tile = inside_dot = 0
    radius = size * 0.22
    for sy in range(4):
        for sx in range(4):
            px = x + (sx + 0.5) / 4
            py = y + (sy + 0.5) / 4
            # Rounded square tile.
            cx = min(max(px, radius), size - radius)
            cy = min(max(py, radius), size - radius)
            if (px - cx) ** 2 + (py - cy) ** 2 <= radius ** 2:
                inside_tile += 1
            if (px - size / 2) ** 2 + (py - size / 2) ** 2 <= (size * 0.3) ** 2:
                inside_dot += 1
    alpha = inside_tile * 255 // 16
    dot = inside_dot / 16
    r = round(0x2B * (1 - dot) + 0xE8 * dot)
    g = round(0x2F * (1 - dot) + 0x3A * dot)
    b = round(0x36 * (1 - dot) + 0x3A * dot)
    return bytes((b, g, r, alpha))


def image(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = [b"".join(pixel(size, x, y) for x in range(size)) for y in reversed(range(size))]
    mask_row = b"\0" * (((size + 31) // 32) * 4)
    return header + b"".join(rows) + mask_row * size


def main(path):
    sizes = (16, 32, 48)
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
