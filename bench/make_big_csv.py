#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Writes the whole-road benchmark's csv: the header row and 100,000 rows
of 10 columns, the values of bench/make_big_workbook.c as text.
usage: make_big_csv.py OUTPUT.csv [ROWS]"""
import sys

rows = int(sys.argv[2]) if len(sys.argv) > 2 else 100000
regions = ["North", "South", "East", "West", "Central & Islands"]
with open(sys.argv[1], "w", newline="") as out:
    out.write("Region,Customer,Quantity,Unit Price,Paid,Ordered,Shipped At,"
              "Discount,Notes,Code\r\n")
    for r in range(1, rows + 1):
        out.write(
            f"{regions[r % 5]},Customer {r},{r % 97},{(r % 1000) / 8 + 0.99},"
            f"{'TRUE' if r % 3 == 0 else 'FALSE'},"
            f"{2020 + r % 5}-{1 + r % 12:02d}-{1 + r % 28:02d},"
            f"2021-{1 + r % 12:02d}-{1 + r % 28:02d} {r % 24:02d}:{r % 60:02d},"
            f"{(r % 20) / 100},{'ok' if r % 7 else 'call <back> later'},"
            f"{1000000 + r * 7}\r\n")
