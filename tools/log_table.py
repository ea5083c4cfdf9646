#!/usr/bin/env python3
"""Prints the table of src/core/power_kernels.hpp: for each of the 128 slices of [1, 2), the
inverse of its centre and the logarithm of the centre that inverse gives.

    python3 tools/log_table.py

Slice i holds the mantissas from 1 + i/128 to 1 + (i + 1)/128; its inverse is the double nearest
1/c for the centre c = 1 + (2i + 1)/256, and its logarithm -ln(inverse) as a head, the double
nearest it, and a tail, the double nearest what the head leaves, worked out with 80 significant
digits. Also prints ln 2 as a head of 42 significant bits, whose product with any exponent of a
double is exact, and its tail.
"""
import decimal
import fractions
import struct

N = 128


def bits(value):
    return struct.unpack("<Q", struct.pack("<d", value))[0]


def head_and_tail(exact):
    head = float(exact)  # the nearest double
    return head, float(exact - fractions.Fraction(head))


def main():
    decimal.getcontext().prec = 80
    inverses, heads, tails = [], [], []
    for i in range(N):
        inverse = float(1 / (1 + fractions.Fraction(2 * i + 1, 2 * N)))
        logarithm = -decimal.Decimal(fractions.Fraction(inverse).numerator).ln() + \
            decimal.Decimal(fractions.Fraction(inverse).denominator).ln()
        head, tail = head_and_tail(fractions.Fraction(logarithm))
        inverses.append(bits(inverse))
        heads.append(bits(head))
        tails.append(bits(tail))
    for name, values in (("kLogInverseBits", inverses), ("kLogHeadBits", heads),
                         ("kLogTailBits", tails)):
        print(f"alignas(64) inline constexpr std::uint64_t {name}[{N}] = {{")
        for row in range(0, N, 4):
            print("    " + " ".join(f"0x{v:016x}," for v in values[row:row + 4]))
        print("};")
    ln2 = fractions.Fraction(decimal.Decimal(2).ln())
    scale = 2 ** (42 - 1)  # ln 2 lies in [1/2, 1): 42 significant bits
    ln2_head = fractions.Fraction(int(ln2 * 2 * scale), 2 * scale)
    ln2_tail = float(ln2 - ln2_head)
    print(f"inline constexpr double kLn2Head = {float(ln2_head).hex()};")
    print(f"inline constexpr double kLn2Tail = {ln2_tail.hex()};")


if __name__ == "__main__":
    main()
