#!/usr/bin/env python3
"""Draws the three built-in diagram backgrounds that the work area paints at
its scrolled origin, one per BkImageDarkness value, and writes them as
builder/controls/images/BackgroundWhite.png, BackgroundLight.png and
BackgroundDark.png (resources of the library).

Each is 256 x 192 pixels: a soft tint in the top-left corner that fades into
the work area's fill colour of that darkness towards the right and bottom
edges, with a faint dot every 16 pixels. Beyond the image the work area shows
the plain fill colour, so the seam must not show: the last column and row
are exactly the fill colour.
"""
import pathlib
import struct
import zlib

WIDTH, HEIGHT = 256, 192

# (fill colour of the darkness, tint in the corner, dot colour)
STYLES = {
    "BackgroundWhite.png": ((255, 255, 255), (226, 233, 246), (200, 210, 228)),
    "BackgroundLight.png": ((224, 223, 227), (200, 204, 222), (180, 184, 204)),
    "BackgroundDark.png": ((153, 153, 153), (118, 126, 148), (104, 110, 130)),
}


def pixel(x, y, fill, tint, dot):
    # 1 in the corner, 0 at the right and bottom edges.
    fx = 1.0 - x / (WIDTH - 1)
    fy = 1.0 - y / (HEIGHT - 1)
    weight = min(fx, fy) ** 1.5
    colour = [round(f + (t - f) * weight) for f, t in zip(fill, tint)]
    if x % 16 == 8 and y % 16 == 8 and weight > 0.05:
        colour = [round(c + (d - c) * weight) for c, d in zip(colour, dot)]
    return bytes(colour)


def png(fill, tint, dot) -> bytes:
    raw = bytearray()
    for y in range(HEIGHT):
        raw.append(0)  # filter: none
        for x in range(WIDTH):
            raw += pixel(x, y, fill, tint, dot)

    def chunk(kind: bytes, data: bytes) -> bytes:
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0)  # 8-bit RGB
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


def main():
    folder = pathlib.Path(__file__).resolve().parent.parent / "images"
    folder.mkdir(exist_ok=True)
    for name, (fill, tint, dot) in STYLES.items():
        (folder / name).write_bytes(png(fill, tint, dot))


if __name__ == "__main__":
    main()
