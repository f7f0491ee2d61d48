#!/usr/bin/env python3
"""Writes the street-segment reference file of Tovr Falls, a fictional city.

The city is a grid. MAIN ST runs east-west through the centre and CENTRAL AVE north-south;
streets east and west of CENTRAL AVE carry the pre-directional E or W, avenues north and
south of MAIN ST carry N or S. House numbers grow by 100 a block away from the centre
lines. Every block of a street is one segment with a left and a right address range:
along streets the odd numbers lie on the left, along avenues on the right (left and right
as seen walking towards higher numbers).

Usage: make_city.py [OUTPUT]   (default: city_segments.txt beside this script)
The output is the same on every run, so the file in the repository can be checked
against it.
"""

import os
import sys

# East-west streets: (name, type, y in blocks, blocks west, blocks east).
STREETS = [
    ("MAIN", "ST", 0, 6, 6),
    ("1ST", "ST", 1, 6, 6),
    ("2ND", "ST", 2, 6, 6),
    ("3RD", "ST", 3, 6, 6),
    ("4TH", "ST", 4, 6, 6),
    ("5TH", "ST", 5, 6, 6),
    ("6TH", "ST", 6, 5, 5),
    ("7TH", "ST", 7, 5, 5),
    ("8TH", "ST", 8, 4, 4),
    ("LAKE SHORE", "DR", -1, 0, 6),
    ("RIVER", "RD", -2, 0, 6),
    ("WASHINGTON", "BLVD", -3, 0, 6),
    ("LINCOLN", "AVE", -4, 0, 5),
    ("HARBOR VIEW", "TER", -5, 0, 3),
]

# North-south avenues: (name, type, x in blocks, blocks south, blocks north).
AVENUES = [
    ("CENTRAL", "AVE", 0, 4, 8),
    ("OAK", "AVE", 1, 4, 8),
    ("MAPLE", "AVE", 2, 4, 8),
    ("CEDAR", "AVE", 3, 4, 8),
    ("WALNUT", "AVE", 4, 4, 8),
    ("CHESTNUT", "AVE", 5, 4, 8),
    ("HICKORY", "AVE", 6, 4, 8),
    ("MARTIN LUTHER KING JR", "BLVD", 7, 0, 8),
    ("PINE", "AVE", -1, 4, 8),
    ("BIRCH", "AVE", -2, 4, 8),
    ("SPRUCE", "AVE", -3, 4, 8),
    ("WILLOW", "AVE", -4, 4, 8),
    ("ASPEN", "AVE", -5, 4, 8),
    ("MAGNOLIA", "AVE", -6, 4, 8),
]

HEADER = """\
# Tovr Falls street segments, written by make_city.py. Do not edit by hand.
# Columns (from 1): 1-6 segment id, 8-9 pre-directional, 11-38 street name, 40-43 street
# type, 45-46 post-directional, 48-53 left from, 55-60 left to, 62-67 right from,
# 69-74 right to, 76-80 ZIP code.
"""


def zip_code(x_sign, y_sign):
    """Quadrants: 70101 north-east, 70102 north-west, 70103 south-east, 70104 south-west."""
    if y_sign >= 0:
        return "70101" if x_sign >= 0 else "70102"
    return "70103" if x_sign >= 0 else "70104"


def ranges(block, odd_left):
    """Address ranges of block k (from 1): numbers 100(k-1) to 100(k-1)+99."""
    base = 100 * (block - 1)
    odd = (base + 1, base + 99)
    even = (base + 2 if base == 0 else base, base + 98)
    return (odd, even) if odd_left else (even, odd)


def record(seq, predir, name, stype, left, right, zip5):
    return (f"S{seq:05d} {predir:<2} {name:<28} {stype:<4} {'':<2} "
            f"{left[0]:>6} {left[1]:>6} {right[0]:>6} {right[1]:>6} {zip5}")


def segments():
    rows = []
    for name, stype, y, west, east in STREETS:
        for predir, sign, blocks in (("E", 1, east), ("W", -1, west)):
            for k in range(1, blocks + 1):
                left, right = ranges(k, odd_left=True)
                rows.append((predir, name, stype, left, right, zip_code(sign, y)))
    for name, stype, x, south, north in AVENUES:
        for predir, sign, blocks in (("N", 1, north), ("S", -1, south)):
            for k in range(1, blocks + 1):
                left, right = ranges(k, odd_left=False)
                rows.append((predir, name, stype, left, right, zip_code(x, sign)))
    return [record(i, *row) for i, row in enumerate(rows, 1)]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "city_segments.txt")
    with open(output, "w", newline="\n") as f:
        f.write(HEADER)
        for line in segments():
            f.write(line + "\n")


if __name__ == "__main__":
    main()
