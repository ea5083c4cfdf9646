#!/usr/bin/env python3
"""Prints the table of src/core/exp_lanes.cpp: 2^(k/128) = H (1 + tail) for k = 0 to 127.

    python3 tools/exp_table.py

H is the double nearest 2^(k/128) and tail the double nearest (2^(k/128) - H) / H, both worked
out with 80 significant digits. Each H is printed as its bits less k << 45, the exponent that
the exp of the argument adds back. These are the table's values of the C library's exp, whose
algorithm exp_lanes.cpp runs on several arguments at once.
"""
import decimal
import fractions
import struct

N = 128


def bits(value):
    return struct.unpack("<Q", struct.pack("<d", value))[0]


def main():
    decimal.getcontext().prec = 80
    ln2 = decimal.Decimal(2).ln()
    heads, tails = [], []
    for k in range(N):
        exact = fractions.Fraction((ln2 * k / N).exp())
        head = float(exact)  # the nearest double
        tail = float((exact - fractions.Fraction(head)) / fractions.Fraction(head))
        heads.append(bits(head) - (k << 45))
        tails.append(bits(tail))
    for name, values in (("kHeadBits", heads), ("kTailBits", tails)):
        print(f"alignas(64) constexpr std::uint64_t {name}[{N}] = {{")
        for row in range(0, N, 4):
            print("    " + " ".join(f"0x{v:016x}," for v in values[row:row + 4]))
        print("};")


if __name__ == "__main__":
    main()
