#!/usr/bin/env python3
"""Joins TrueType fonts into one TrueType collection (.ttc), as device ROMs ship them.

    make-ttc.py OUTPUT.ttc FONT.ttf [FONT.ttf ...]

Each font keeps its own tables; the collection header lists the fonts, and every table
directory points at its tables inside the one file (version 1.0 header, no signature)."""
import struct
import sys


def read_font(path):
    data = open(path, "rb").read()
    version, count = struct.unpack(">4sH", data[:6])
    if version not in (b"\x00\x01\x00\x00", b"true"):
        raise SystemExit(f"{path}: not a TrueType font")
    tables = []
    for i in range(count):
        tag, checksum, offset, length = struct.unpack(">4sIII", data[12 + 16 * i: 28 + 16 * i])
        tables.append((tag, checksum, data[offset: offset + length]))
    return version, data[6:12], tables


def pad4(blob):
    return blob + b"\0" * (-len(blob) % 4)


def main(argv):
    if len(argv) < 3:
        raise SystemExit(__doc__)
    fonts = [read_font(path) for path in argv[2:]]
    header_size = 12 + 4 * len(fonts)
    position = header_size
    directories_at = []
    for _, _, tables in fonts:
        directories_at.append(position)
        position += 12 + 16 * len(tables)
    body = b""
    directories = b""
    for version, search_fields, tables in fonts:
        directory = version + struct.pack(">H", len(tables)) + search_fields
        for tag, checksum, blob in tables:
            directory += struct.pack(">4sIII", tag, checksum, position + len(body), len(blob))
            body += pad4(blob)
        directories += directory
    header = b"ttcf" + struct.pack(">II", 0x00010000, len(fonts))
    header += b"".join(struct.pack(">I", at) for at in directories_at)
    with open(argv[1], "wb") as out:
        out.write(header + directories + body)


if __name__ == "__main__":
    main(sys.argv)
