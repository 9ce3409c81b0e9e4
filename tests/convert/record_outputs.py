#!/usr/bin/env python3
"""Fingerprints of the converters' outputs, as tests/convert/converter_outputs_test.cpp
computes them: record_outputs.py FOLDER > tests/data/convert/outputs.txt

FOLDER holds the outputs under the names the test gives them (the test's
cases, run with OPENBLAS_NUM_THREADS=1 in a folder of their own with
relative file names). Each line: name, a hash of the text (native files:
everything but the binary grid values; SDF: Open Babel's time stamps
masked), the number of grid values, their sum and sum of squares, and a
hash of their bytes. Remake the file only when a change of the output is
meant, and say so in the commit."""
import os
import re
import struct
import sys


def fnv1a(data):
    h = 0xCBF29CE484222325
    for b in data:
        h = ((h ^ b) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return h


def split_native(b):
    text, values, pos = [], b"", 0
    while True:
        g = b.find(b"<DENSITY>\n", pos)
        if g < 0:
            text.append(b[pos:])
            break
        orb = re.findall(rb"ORBOFF = (\d+)", b[pos:g])
        n = int(orb[-1]) if orb else 0
        start = g + len(b"<DENSITY>\n")
        text.append(b[pos:start])
        values += b[start:start + n]
        pos = start + n
    return b"".join(text), values


def fingerprint(name, b):
    values = b""
    if name.endswith(".mvr"):
        b, values = split_native(b)
    elif name.endswith(".sdf"):
        b = re.sub(rb"OpenBabel\d{10}", b"OpenBabel", b)
    v = struct.unpack("%dd" % (len(values) // 8), values[: len(values) // 8 * 8])
    total = sum(v)
    squares = sum(x * x for x in v)
    return "%s text=%016x values=%d sum=%.17g squares=%.17g exact=%016x" % (
        name, fnv1a(b), len(v), total, squares, fnv1a(values))


folder = sys.argv[1]
for name in sorted(os.listdir(folder)):
    if name.endswith((".stdout", ".stderr")):
        continue
    print(fingerprint(name, open(os.path.join(folder, name), "rb").read()))
