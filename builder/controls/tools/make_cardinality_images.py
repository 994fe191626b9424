#!/usr/bin/env python3
"""Draws the two cardinality symbols that the Access-style link painter puts
above the ends of a link line, "one" (a digit 1) and "many" (an infinity
sign), and writes them as builder/controls/images/LinkCardinalityOne.png and
LinkCardinalityMany.png (resources of the library).

Both are 11 x 8 pixels, black on a fully transparent ground, so the line's
colour and the work area's background show around the glyph.
"""
import pathlib
import struct
import zlib

ONE = [
    "....##.....",
    "...###.....",
    "..####.....",
    "....##.....",
    "....##.....",
    "....##.....",
    "....##.....",
    "..######...",
]

MANY = [
    "...........",
    ".##.....##.",
    "#..#...#..#",
    "#...#.#...#",
    "#....#....#",
    "#...#.#...#",
    "#..#...#..#",
    ".##.....##.",
]


def png(rows) -> bytes:
    height, width = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        assert len(row) == width
        raw.append(0)  # filter: none
        for c in row:
            raw += bytes((0, 0, 0, 255)) if c == "#" else bytes((0, 0, 0, 0))

    def chunk(kind: bytes, data: bytes) -> bytes:
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")


def main():
    folder = pathlib.Path(__file__).resolve().parent.parent / "images"
    folder.mkdir(exist_ok=True)
    for name, rows in (("LinkCardinalityOne.png", ONE), ("LinkCardinalityMany.png", MANY)):
        target = folder / name
        target.write_bytes(png(rows))
        print(target)


if __name__ == "__main__":
    main()
