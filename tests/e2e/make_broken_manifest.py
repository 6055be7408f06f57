#!/usr/bin/env python3
"""Writes the Setup folder of a distribution whose group 0 install buffer has a manifest line the
installer refuses (line 2, "0101..\\x": a path, not a file name). Made independently of our writer,
from docs/formats.md: the scrambled compound file (1.4, 1.8; its constants as src/store/scramble.h
states them), its blocks (3.5), one raw LZMA1 volume from Python's lzma module (3.4) and `kssum`
(3.3). Groups 1 and 2 have no volumes.

Usage: make_broken_manifest.py SETUP_FOLDER
"""
import lzma
import os
import re
import struct
import sys


def format_constants():
    """C1, C2 and ScrambleOffset as src/store/scramble.h states them, so this file follows the format."""
    header = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "store", "scramble.h")
    with open(header, encoding="utf-8") as f:
        text = f.read()
    value = lambda name: int(re.search(r"\b%s = (0x[0-9A-Fa-f]+|\d+)u?;" % name, text).group(1), 0)
    return value("kScrambleC1"), value("kScrambleC2"), value("ScrambleOffset")


C1, C2, SCRAMBLE_OFFSET = format_constants()
BLOCK_PAYLOAD = 16382


def xor(data, key):
    lo, hi = key & 0xFF, (key >> 8) & 0xFF
    return bytes(b ^ (lo if i % 2 == 0 else hi) for i, b in enumerate(data))


def compound(logical_files, p):
    """A scrambled compound file; each logical file a list of (type, data) records."""
    address = 8 + 8 * len(logical_files)
    body, directory = b"", []
    for records in logical_files:
        start = address
        for rtype, data in records + [(0, b"@")]:  # every chain ends with the end marker
            key = (address >> (p % 32)) & 0xFFFF
            record = xor(struct.pack("<BiH", rtype, -1, len(data)), key) + xor(data, key)
            body += record
            address += len(record)
        directory.append(struct.pack("<II", start, address - start))
    header_key = ((p & 0xFFFF) + p * C1) & 0xFFFF
    directory_key = ((p & 0xFFFF) + p * C2) & 0xFFFF
    return (xor(struct.pack("<II", address, len(logical_files)), header_key) +
            xor(b"".join(directory), directory_key) + body)


def blocks(payload):
    out = b""
    for at in range(0, len(payload), BLOCK_PAYLOAD):
        part = payload[at:at + BLOCK_PAYLOAD]
        out += struct.pack("<H", len(part)) + part
    return out


def volume(data):
    lzma1 = {"id": lzma.FILTER_LZMA1, "preset": 9, "dict_size": 1 << 23}
    props = lzma._encode_filter_properties(lzma1)
    return b"\x00" + props + struct.pack("<Q", len(data)) + lzma.compress(data, format=lzma.FORMAT_RAW, filters=[lzma1])


def checksum(data):
    n, total = len(data), 0
    for at in range(0, n // 8 * 8, 8):
        total += int.from_bytes(data[at:at + 8], "little")
    for at in range(0, n // 7 * 7, 7):
        total += int.from_bytes(data[at:at + 7], "little")
    if n % 7:
        total += int.from_bytes(data[n - n % 7:], "little")
    total &= (1 << 64) - 1
    return struct.pack("<II", total & 0xFFFFFFFF, total >> 32)


def main():
    setup = sys.argv[1]
    os.makedirs(setup, exist_ok=True)
    manifest = [(0, "0101a.dat".encode("cp1251")), (0, "0101..\\x".encode("cp1251"))]
    stored = [(1, b"description"), (2, b"12345678"), (0, b".")]
    packed = volume(blocks(compound([manifest, stored], 0 + SCRAMBLE_OFFSET)))
    with open(os.path.join(setup, "TlxStp5_320.001"), "wb") as f:
        f.write(packed)
    with open(os.path.join(setup, "kssum"), "wb") as f:
        f.write(struct.pack("<6i", 1, 1, 1, 0, 1, 0) + checksum(packed))


if __name__ == "__main__":
    main()
