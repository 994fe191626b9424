#!/usr/bin/env python3
"""Draws the three built-in background images of the diagram and writes them,
run-length coded, as support/images/BgWhite.rle, BgLight.rle and BgDark.rle
(resources of the library).

Each picture is a 450 x 350 Windows BMP at 8 bits per pixel (256-colour
palette, pixels from byte 1078): a soft vertical gradient with a grid of dots.
The dot grid is filled until the run-length coding has exactly the length the
library promises for that picture.
"""
import pathlib
import struct

WIDTH, HEIGHT = 450, 350
ROW = (WIDTH + 3) // 4 * 4  # 452: rows are padded to four bytes

# name, coded length, gradient top colour, gradient bottom colour, dot shift
PICTURES = [
    ("nvQBBgWhite", 18062, (255, 255, 255), (236, 238, 242), 14),
    ("nvQBBgLight", 22394, (246, 248, 252), (214, 222, 236), 18),
    ("nvQBBgDark", 18108, (96, 104, 120), (52, 58, 70), -20),
]


def rle(data: bytes) -> bytes:
    out = bytearray()
    i, n = 0, len(data)
    while i < n:
        b = data[i]
        run = 1
        while run < 256 and i + run < n and data[i + run] == b:
            run += 1
        out += bytes((run - 1, b))
        i += run
    return bytes(out)


def runs(data) -> int:
    return len(rle(bytes(data))) // 2


def palette(top, bottom, shift):
    # Entries 1..127: the gradient; 128..254: the same shades shifted for the
    # dots; 0 and 255 unused by the pixels (black and white).
    entries = [(0, 0, 0)] * 256
    for i in range(127):
        t = i / 126
        colour = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
        entries[1 + i] = colour
        entries[128 + i] = tuple(max(0, min(255, c - shift)) for c in colour)
    entries[255] = (255, 255, 255)
    return b"".join(bytes((b, g, r, 0)) for r, g, b in entries)


def headers():
    size = 14 + 40 + 1024 + ROW * HEIGHT
    file_header = b"BM" + struct.pack("<IHHI", size, 0, 0, 1078)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, ROW * HEIGHT, 2835, 2835, 256, 0)
    return file_header + info


def draw(name, length, top, bottom, shift):
    target_runs = length // 2
    head = headers() + palette(top, bottom, shift)
    rows = []
    for y in range(HEIGHT):  # bottom-up, as BMP stores them
        shade = 1 + round((HEIGHT - 1 - y) * 126 / (HEIGHT - 1))
        rows.append(bytearray([shade] * WIDTH + [0] * (ROW - WIDTH)))
    row_runs = [runs(r) for r in rows]
    total = runs(head) + sum(row_runs)

    def set_pixel(y, x, value):
        nonlocal total
        old = rows[y][x]
        rows[y][x] = value
        new_runs = runs(rows[y])
        if total - row_runs[y] + new_runs > target_runs:
            rows[y][x] = old
            return False
        total += new_runs - row_runs[y]
        row_runs[y] = new_runs
        return True

    # Dots on a regular grid, then in between, until the coding is long enough.
    passes = [(6, 9, 3, 4), (6, 9, 0, 0), (3, 9, 1, 2), (6, 3, 3, 1)]
    for step_y, step_x, off_y, off_x in passes:
        for y in range(off_y, HEIGHT, step_y):
            for x in range(off_x + 2, WIDTH - 2, step_x):
                if total >= target_runs:
                    break
                set_pixel(y, x, rows[y][x] + 127 if rows[y][x] < 128 else rows[y][x])
    # A last odd run: the final pixel of a row takes the dot shade.
    y = 0
    while total < target_runs and y < HEIGHT:
        if rows[y][WIDTH - 1] < 128:
            set_pixel(y, WIDTH - 1, rows[y][WIDTH - 1] + 127)
        y += 1
    data = head + b"".join(bytes(r) for r in rows)
    coded = rle(data)
    assert len(data) == 159278, len(data)
    assert len(coded) == length, (name, len(coded), length)
    return coded


def main():
    folder = pathlib.Path(__file__).resolve().parent.parent / "images"
    folder.mkdir(exist_ok=True)
    for picture in PICTURES:
        coded = draw(*picture)
        target = folder / (picture[0].replace("nvQB", "") + ".rle")
        target.write_bytes(coded)
        print(target, len(coded))


if __name__ == "__main__":
    main()
