#!/usr/bin/env python3
"""Writes volumes made by Python's lzma module (an encoder independent of ours) for the package tests.

Usage: make_python_volumes.py OUTDIR
  OUTDIR/plain.bin     the content: text lines and machine-code-like bytes
  OUTDIR/py_lzma1.vol  raw LZMA1 with an end marker, filter byte 0
  OUTDIR/py_x86.vol    x86 branch conversion, then raw LZMA1 with an end marker, filter byte 1
Each volume is the 14-byte header (filter byte, 5 property bytes, unpacked size LE64) and the stream.
"""
import lzma
import random
import struct
import sys


def content():
    rng = random.Random(20240601)
    parts = []
    for i in range(3000):
        parts.append(("Строка сметы %d: бетон %d м3\r\n" % (i, rng.randrange(1000))).encode("cp1251"))
        # call/jmp with near displacements, as compiled code has them
        parts.append(bytes([0xE8 if i % 3 else 0xE9]) + struct.pack("<i", rng.randrange(-5000, 5000)))
        parts.append(bytes(rng.choice([0x00, 0xFF, 0x48, 0x8B, 0xC3]) for _ in range(rng.randrange(12))))
    return b"".join(parts)


def volume(data, filter_byte):
    lzma1 = {"id": lzma.FILTER_LZMA1, "preset": 9, "dict_size": 1 << 23}
    filters = ([{"id": lzma.FILTER_X86}] if filter_byte == 1 else []) + [lzma1]
    props = lzma._encode_filter_properties(lzma1)
    stream = lzma.compress(data, format=lzma.FORMAT_RAW, filters=filters)
    return bytes([filter_byte]) + props + struct.pack("<Q", len(data)) + stream


def main():
    out = sys.argv[1]
    data = content()
    with open(out + "/plain.bin", "wb") as f:
        f.write(data)
    with open(out + "/py_lzma1.vol", "wb") as f:
        f.write(volume(data, 0))
    with open(out + "/py_x86.vol", "wb") as f:
        f.write(volume(data, 1))


if __name__ == "__main__":
    main()
