#!/usr/bin/env python3
"""Writes sample.uq, the small container that the README's quick start unpacks.

Usage: make_sample.py [OUTPUT]   (default: sample.uq beside this script)

The members are short text files, so that what ulmor writes can be read with any pager. A member
is made of whole 512-byte sectors, so each text is padded with spaces to the end of its last
sector and ends with a newline. Rows 2 and 4 stay empty, and the members lie in the file in a
different order from their rows, to show that ulmor skips empty rows and writes members in row
order wherever their data lies. The output is the same byte for byte on every run.
"""

import struct
import sys
from pathlib import Path

SECTOR = 512
SIGNATURE = bytes([0x56, 0x61, 0xAA, 0x55])
ROWS = 127

# Row index -> text. The data is laid out in the order of this list, after the header.
MEMBERS = [
    (3, """\
Member 3 of the sample container, written to 003.bin.

Its data comes first in the file, right after the header, but ulmor still
writes it after 000.bin and 001.bin: members go out in row order, wherever
their data lies. Rows 2 and 4 are empty, so there is no 002.bin or 004.bin.
"""),
    (0, """\
Member 0 of the sample container, written to 000.bin.

examples/sample.uq is made by examples/make_sample.py, which you can change
to make containers of your own. A container starts with a 512-byte header:
the four bytes 56 61 AA 55, then 127 rows of two little-endian 16-bit
numbers, the start sector and the length in sectors of one member each.

A member is made of whole 512-byte sectors, so this text is padded with
spaces up to the end of its last sector.
"""),
    (1, """\
Member 1 of the sample container, written to 001.bin.

ulmor copies each member's bytes exactly as they stand in the container;
it never looks at what they mean. The table holds no names, only numbers,
so each member file is named after its row: 000.bin up to 126.bin.

This member is longer than one sector, so it fills two. ulmor reads
and writes it in one piece, as it does with every member of up to 64 KiB.
Longer members go out in blocks of 64 KiB.

Try the tool's messages too:

    build/ulmor                          the usage line
    build/ulmor missing.uq sample-out    did not find the container
    build/ulmor README.md sample-out     the signature is wrong

Every run ends with a pause of one second, so that a console window that
closes with the program can still be read.
"""),
    (5, """\
Member 5 of the sample container, written to 005.bin, the last one.
"""),
]


def padded(text):
    """The text's bytes, padded with spaces to whole sectors; the last byte stays a newline."""
    data = text.encode("ascii")
    size = -(-len(data) // SECTOR) * SECTOR
    return data[:-1] + b" " * (size - len(data)) + b"\n"


def build():
    table = [(0, 0)] * ROWS
    body = b""
    for row, text in MEMBERS:
        data = padded(text)
        start = 1 + len(body) // SECTOR  # sector 0 is the header
        table[row] = (start, len(data) // SECTOR)
        body += data
    header = SIGNATURE + b"".join(struct.pack("<HH", start, length) for start, length in table)
    assert len(header) == SECTOR
    return header + body


def main():
    output = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("sample.uq")
    output.write_bytes(build())


if __name__ == "__main__":
    main()
