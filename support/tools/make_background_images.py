#!/usr/bin/env python3
"""Draws the three built-in background images of the diagram and writes them,
run-length coded, as support/images/BgWhite.rle, BgLight.rle and BgDark.rle
(resources of the library).

Each picture is a 450 x 350 Windows BMP at 8 bits per pixel (256-colour
palette, pixels from byte 1078): a soft shade in the top left corner with a
grid of dots, fading out to the colour that the diagram fills around the
picture (white, RGB(224, 223, 227) and RGB(153, 153, 153)). The picture ends
in exactly that colour along its right and bottom edges, so no seam shows
where the fill takes over. The dots are filled in until the run-length coding
has exactly the length the library promises for that picture.
"""
import pathlib
import struct

WIDTH, HEIGHT = 450, 350
ROW = (WIDTH + 3) // 4 * 4  # 452: rows are padded to four bytes

# Shades of the fade, from the corner colour (palette entry 1) to the fill
# colour (entry 127); fewer than the 127 entries keep the coding short enough
# for the dots.
LEVELS = 43
# The roundness of the fade's outlines: 2 is a circle's quarter, larger
# values come closer to the picture's rectangle.
ROUNDNESS = 2.5

# name, coded length, corner colour, fill colour, dot shift, dot grid
# (rows apart, columns apart)
PICTURES = [
    ("nvQBBgWhite", 18062, (236, 238, 242), (255, 255, 255), 14, (8, 12)),
    ("nvQBBgLight", 22394, (246, 248, 252), (224, 223, 227), 18, (6, 9)),
    ("nvQBBgDark", 18108, (96, 104, 120), (153, 153, 153), -20, (8, 12)),
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


def palette(corner, fill, shift):
    # Entries 1..127: the fade from the corner colour to the fill colour;
    # 128..254: the same shades for the dots, shifted less the nearer they are
    # to the fill (entry 254 is the fill colour itself); 0 and 255 unused by
    # the pixels (black and white).
    entries = [(0, 0, 0)] * 256
    for i in range(127):
        t = i / 126
        colour = tuple(round(a + (b - a) * t) for a, b in zip(corner, fill))
        entries[1 + i] = colour
        dot = round(shift * (1 - t))
        entries[128 + i] = tuple(max(0, min(255, c - dot)) for c in colour)
    entries[255] = (255, 255, 255)
    return b"".join(bytes((b, g, r, 0)) for r, g, b in entries)


def headers():
    size = 14 + 40 + 1024 + ROW * HEIGHT
    file_header = b"BM" + struct.pack("<IHHI", size, 0, 0, 1078)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, ROW * HEIGHT, 2835, 2835, 256, 0)
    return file_header + info


def shade(x, y):
    """The palette entry (1..127) of the fade at the pixel, y from the top:
    the fill colour's entry wherever x or y is on the right or bottom edge."""
    u, v = x / (WIDTH - 1), y / (HEIGHT - 1)
    t = min(1.0, (u ** ROUNDNESS + v ** ROUNDNESS) ** (1 / ROUNDNESS))
    eased = 1 - (1 - t) ** 2  # flat where it meets the fill
    level = round(eased * (LEVELS - 1))
    return 1 + round(level * 126 / (LEVELS - 1))


def draw(name, length, corner, fill, shift, grid):
    target_runs = length // 2
    head = headers() + palette(corner, fill, shift)
    rows = []
    for y in range(HEIGHT):  # bottom-up, as BMP stores them
        top_down = HEIGHT - 1 - y
        rows.append(bytearray([shade(x, top_down) for x in range(WIDTH)] + [0] * (ROW - WIDTH)))
    row_runs = [runs(r) for r in rows]
    total = runs(head) + sum(row_runs)
    assert total <= target_runs, (name, total, target_runs)

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

    fill_entry = 127
    # The dots of the shade, on a regular grid, where the picture is not yet
    # the fill colour; the grid is wide enough for all of them to fit.
    step_y, step_x = grid
    for y in range(step_y // 2, HEIGHT, step_y):
        for x in range(2, WIDTH - 2, step_x):
            if rows[y][x] < fill_entry:
                assert set_pixel(y, x, rows[y][x] + 127), (name, "the dot grid is too dense")
    # What the coding still lacks: dots of the fill colour's own dot entry,
    # which looks the same as the fill, away from the edges ...
    for y in range(1, HEIGHT - 1, 2):
        for x in range(WIDTH - 40, WIDTH - 2, 3):
            if target_runs - total < 2:
                break
            if rows[y][x] == fill_entry:
                set_pixel(y, x, fill_entry + 127)
    # ... and a last odd run: the final pixel of a row.
    y = 0
    while total < target_runs and y < HEIGHT:
        if rows[y][WIDTH - 1] == fill_entry:
            set_pixel(y, WIDTH - 1, fill_entry + 127)
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
