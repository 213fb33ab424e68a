#!/usr/bin/env python3
"""Writes the seed corpus: valid tables, truncated ones, huge counts, far offsets."""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def header(count, encoding=2):
    h = bytearray(16)
    h[4:6] = struct.pack("<H", count)
    h[9] = encoding
    return bytes(h)


def entry(offset, length):
    return struct.pack("<IH", offset, length) + bytes(10)


def table(strings):
    out = header(len(strings))
    offset = 16 * (len(strings) + 1)
    for s in strings:
        out += entry(offset, len(s))
        offset += len(s)
    return out + b"".join(strings)


seeds = {
    "valid_two": table([b"Hi", b""]),
    "valid_mixed": table([b"Hello\0", bytes([0, 0x80, 0xff]), b"x" * 300]),
    "empty_table": header(0),
    "truncated_index": table([b"abc", b"def"])[:40],
    "truncated_string": header(1) + entry(32, 50) + b"short",
    "short_header": header(3)[:12],
    "bad_encoding": header(1, 3) + entry(32, 1) + b"z",
    "huge_count": header(65535) + entry(0, 65535),
    "offset_2g": header(2) + entry(0x80000000, 4) + entry(0x7fffffff, 1),
    "offset_4g": header(1) + entry(0xffffffff, 8),
    "slot_in_strings": header(2) + entry(32, 16) + entry(4, 2),
}
os.makedirs(OUT, exist_ok=True)
for name, data in seeds.items():
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)
