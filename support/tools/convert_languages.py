#!/usr/bin/env python3
"""Builds the built-in language texts from their UTF-8 sources.

Translators edit support/languages/utf8/<NAME>.lng; this script writes
support/languages/<NAME>.LNG in the code page of the character set that the
text names in its "CharSet" line, with CR LF line ends. A character that the
code page cannot hold stops the script with the line that holds it.
"""
import pathlib
import re
import sys

CODE_PAGES = {
    "ANSI_CHARSET": "cp1252",
    "DEFAULT_CHARSET": "cp1252",
    "GB2312_CHARSET": "gbk",
    "SHIFTJIS_CHARSET": "cp932",
    "EASTEUROPE_CHARSET": "cp1250",
    "RUSSIAN_CHARSET": "cp1251",
    "TURKISH_CHARSET": "cp1254",
    "GREEK_CHARSET": "cp1253",
    "BALTIC_CHARSET": "cp1257",
    "HEBREW_CHARSET": "cp1255",
    "ARABIC_CHARSET": "cp1256",
    "CHINESEBIG5_CHARSET": "cp950",
    "HANGEUL_CHARSET": "cp949",
    "THAI_CHARSET": "cp874",
    "VIETNAMESE_CHARSET": "cp1258",
}


def convert(source: pathlib.Path, target_dir: pathlib.Path) -> pathlib.Path:
    text = source.read_text(encoding="utf-8")
    match = re.search(r"^\s*CharSet\s*=\s*(\S+)\s*$", text, re.MULTILINE | re.IGNORECASE)
    charset = match.group(1).upper() if match else "DEFAULT_CHARSET"
    codec = CODE_PAGES.get(charset, "cp1252")
    lines = text.splitlines()
    data = bytearray()
    for number, line in enumerate(lines, 1):
        try:
            data += line.encode(codec) + b"\r\n"
        except UnicodeEncodeError as error:
            sys.exit(f"{source}:{number}: {codec} cannot hold {line[error.start:error.end]!r}")
    target = target_dir / (source.stem.upper() + ".LNG")
    target.write_bytes(bytes(data))
    return target


def main() -> None:
    root = pathlib.Path(__file__).resolve().parent.parent / "languages"
    for source in sorted((root / "utf8").glob("*.lng")):
        print(convert(source, root))


if __name__ == "__main__":
    main()
