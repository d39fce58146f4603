#!/usr/bin/env python3
"""Writes the module's two 32 x 32, 24-bit bitmaps (resources 400 and 401):
windows/TallyraII-400.bmp, a list sheet with bulleted entries, and
windows/TallyraII-401.bmp, a tally of four strokes and a fifth across them.
The generated files are committed; run this again after changing a picture."""
import os
import struct

SIZE = 32


def blank(color):
    return [[color] * SIZE for _ in range(SIZE)]


def rect(img, x0, y0, x1, y1, color):
    """Fills the pixels x0 <= x < x1, y0 <= y < y1 (y from the top)."""
    for y in range(max(0, y0), min(SIZE, y1)):
        for x in range(max(0, x0), min(SIZE, x1)):
            img[y][x] = color


def line(img, x0, y0, x1, y1, color, width=2):
    steps = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(steps + 1):
        x = x0 + (x1 - x0) * i / steps
        y = y0 + (y1 - y0) * i / steps
        rect(img, round(x), round(y), round(x) + width, round(y) + width, color)


def list_sheet():
    img = blank((70, 110, 170))
    rect(img, 5, 3, 27, 29, (250, 250, 245))  # the sheet
    rect(img, 5, 3, 27, 4, (40, 40, 40))
    rect(img, 5, 28, 27, 29, (40, 40, 40))
    rect(img, 5, 3, 6, 29, (40, 40, 40))
    rect(img, 26, 3, 27, 29, (40, 40, 40))
    bullets = [(220, 60, 50), (60, 160, 70), (230, 170, 30), (80, 90, 200)]
    for i, bullet in enumerate(bullets):
        y = 7 + 5 * i
        rect(img, 8, y, 11, y + 3, bullet)
        rect(img, 13, y + 1, 24 - 2 * (i % 2), y + 2, (60, 60, 60))
    return img


def tally():
    img = blank((245, 235, 200))
    ink = (50, 40, 120)
    for i in range(4):
        x = 7 + 5 * i
        line(img, x, 6, x, 25, ink)
    line(img, 3, 22, 28, 9, (200, 40, 40))
    return img


def write_bmp(path, img):
    row_bytes = SIZE * 3  # 96: already a multiple of 4, so rows need no padding
    pixels = bytearray()
    for row in reversed(img):  # bottom-up
        for r, g, b in row:
            pixels += bytes((b, g, r))
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(pixels), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, row_bytes * SIZE,
                              2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(file_header + info_header + pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    write_bmp(os.path.join(here, "TallyraII-400.bmp"), list_sheet())
    write_bmp(os.path.join(here, "TallyraII-401.bmp"), tally())


if __name__ == "__main__":
    main()
