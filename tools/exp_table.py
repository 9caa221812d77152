#!/usr/bin/env python3
"""Recomputes the 2^(i/128) table of engine/exp.cpp with exact arithmetic and compares it.

Entry 2i: tail = (2^(i/128) - H) / H rounded to a double, H the double nearest 2^(i/128);
entry 2i+1: the bits of H minus i << 45. Prints the table; exits 1 if engine/exp.cpp differs.
"""
import re
import struct
import sys
from decimal import Decimal, getcontext
from fractions import Fraction
from pathlib import Path

getcontext().prec = 80  # far beyond the 2 * 53 bits a tail needs


def bits(d):
    return struct.unpack("<Q", struct.pack("<d", d))[0]


table = []
for i in range(128):
    exact = Fraction(Decimal(2) ** (Decimal(i) / 128))
    head = float(exact)  # correctly rounded
    tail = float((exact - Fraction(head)) / Fraction(head))
    table += [bits(tail), (bits(head) - (i << 45)) % 2**64]

for i in range(0, 256, 2):
    print("    0x%016x, 0x%016x," % (table[i], table[i + 1]))

source = (Path(__file__).resolve().parent.parent / "engine" / "exp.cpp").read_text()
body = source[source.index("kTable[2 * kTableSize] = {"):]
body = body[: body.index("};")]
committed = [int(v, 16) for v in re.findall(r"0x[0-9a-f]{16}", body)]
if committed != table:
    print("engine/exp.cpp differs from the exact table", file=sys.stderr)
    sys.exit(1)
print("engine/exp.cpp matches", file=sys.stderr)
