#!/usr/bin/env python3
"""Adds a bulk of real files to a suite payload (a copy of the sample payload), for the distribution
benchmark: text (program sources and documentation of this machine), x86 Windows programs (MinGW's
and Wine's .exe/.dll) and random bytes, by default 45 %, 40 % and 15 % of the requested size.

    make_payload.py PAYLOAD SIZE_MB [--text F] [--exe F] [--random F]

Text is packed into files of about 1 MiB (whole source files one after another, as the suite's
reference data and documents are large files); programs are copied as they are; random bytes come in
files of 1 to 4 MiB from a fixed seed. Group 0 gets the programs (Exe), half the text (Doc) and half
the random files (Base); the two language folders share the rest. The same machine and arguments
always give the same payload. Prints what it wrote.
"""
import argparse
import os
import random
import sys

TEXT_ROOTS = ["/usr/include", "/usr/share/doc", "/usr/lib/python3", "/usr/share/perl", "/usr/share/perl5",
              "/usr/lib/x86_64-linux-gnu/perl-base", "/usr/share/cmake"]
TEXT_SUFFIXES = (".h", ".hpp", ".hh", ".c", ".cc", ".cpp", ".py", ".pm", ".pl", ".txt", ".html", ".htm",
                 ".md", ".rst", ".xml", ".cmake", ".tcc", ".inc", "")
PROGRAM_ROOTS = ["/usr/lib/gcc/x86_64-w64-mingw32", "/usr/x86_64-w64-mingw32",
                 "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows", "/usr/lib/x86_64-linux-gnu/wine/i386-windows",
                 "/usr/lib/wine"]
MIB = 1 << 20
CHUNK = MIB
# Working folders of the language trees that take bulk files.
LANGUAGE_FOLDERS = ["Frg_Std", "Data", "LBN", "Updt", "Etalon"]


def walk(roots, accept):
    seen = set()
    for root in roots:
        if not os.path.isdir(root):
            continue
        for folder, dirs, files in os.walk(root):
            dirs.sort()
            for name in sorted(files):
                path = os.path.join(folder, name)
                if os.path.islink(path) or not os.path.isfile(path):
                    continue
                real = os.path.realpath(path)
                if real in seen:
                    continue
                seen.add(real)
                if accept(path, name):
                    yield path


def is_text(path, name):
    if name.endswith((".gz", ".xz", ".bz2", ".zst", ".pyc")):
        return False
    suffix = os.path.splitext(name)[1].lower()
    if suffix not in TEXT_SUFFIXES:
        return False
    try:
        with open(path, "rb") as f:
            head = f.read(4096)
    except OSError:
        return False
    return len(head) > 0 and b"\0" not in head


def is_program(path, name):
    if not name.lower().endswith((".exe", ".dll")):
        return False
    try:
        with open(path, "rb") as f:
            return f.read(2) == b"MZ"
    except OSError:
        return False


def safe_name(name):
    name = "".join(c if (c.isascii() and (c.isalnum() or c in "._-")) else "_" for c in name)
    return name.strip(".") or "file"


class Writer:
    def __init__(self, payload):
        self.payload = payload
        self.written = {}  # folder -> set of lower-case names
        self.bytes = {"text": 0, "program": 0, "random": 0}
        self.files = {"text": 0, "program": 0, "random": 0}

    def put(self, folder, name, data, kind):
        taken = self.written.setdefault(folder, set())
        base, n = name, 1
        while name.lower() in taken or os.path.exists(os.path.join(self.payload, folder, name)):
            n += 1
            stem, ext = os.path.splitext(base)
            name = "%s_%d%s" % (stem, n, ext)
        taken.add(name.lower())
        os.makedirs(os.path.join(self.payload, folder), exist_ok=True)
        with open(os.path.join(self.payload, folder, name), "wb") as f:
            f.write(data)
        self.bytes[kind] += len(data)
        self.files[kind] += 1


def text_folders():
    folders = ["Doc"] * 2
    for lang in ("Ukr", "Rus"):
        folders += [lang + "/" + f for f in LANGUAGE_FOLDERS[:2]]
    return folders  # half Doc, the rest spread over the language trees


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("payload")
    parser.add_argument("size_mb", type=float)
    parser.add_argument("--text", type=float, default=0.45)
    parser.add_argument("--exe", type=float, default=0.40)
    parser.add_argument("--random", type=float, default=0.15)
    args = parser.parse_args()
    total = int(args.size_mb * 1e6)
    shares = {"text": args.text, "program": args.exe, "random": args.random}
    scale = sum(shares.values())
    want = {k: int(total * v / scale) for k, v in shares.items()}
    out = Writer(args.payload)

    # Programs, whole, into Exe.
    for path in walk(PROGRAM_ROOTS, is_program):
        if out.bytes["program"] >= want["program"]:
            break
        with open(path, "rb") as f:
            data = f.read()
        if out.bytes["program"] + len(data) > want["program"] + MIB:
            continue
        out.put("Exe", safe_name(os.path.basename(path)), data, "program")

    # Text, in chunks of about 1 MiB, round robin over the text folders.
    folders = text_folders()
    chunk, count = bytearray(), 0

    def flush():
        nonlocal chunk, count
        if chunk:
            out.put(folders[count % len(folders)], "text%04d.txt" % count, bytes(chunk), "text")
            count += 1
            chunk = bytearray()

    for path in walk(TEXT_ROOTS, is_text):
        if out.bytes["text"] + len(chunk) >= want["text"]:
            break
        with open(path, "rb") as f:
            data = f.read(want["text"] - out.bytes["text"] - len(chunk))
        chunk += data
        if len(chunk) >= CHUNK:
            flush()
    flush()

    # Random bytes: half Base, the rest the language trees' LBN folders.
    rng = random.Random(20241211)
    random_folders = ["Base", "Base", "Ukr/LBN", "Rus/LBN"]
    n = 0
    while out.bytes["random"] < want["random"]:
        size = min(rng.randint(1, 4) * MIB, want["random"] - out.bytes["random"])
        out.put(random_folders[n % len(random_folders)], "data%04d.bin" % n, rng.randbytes(size), "random")
        n += 1

    for kind in ("text", "program", "random"):
        short = " (the machine has no more)" if out.bytes[kind] + MIB < want[kind] else ""
        print("%-8s %5d files %8.1f MB%s" % (kind, out.files[kind], out.bytes[kind] / 1e6, short))
    print("total    %5d files %8.1f MB" % (sum(out.files.values()), sum(out.bytes.values()) / 1e6))
    return 0


if __name__ == "__main__":
    sys.exit(main())
