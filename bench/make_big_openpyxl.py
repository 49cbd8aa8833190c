#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Writes the whole-road benchmark's workbook as openpyxl's write-only mode
writes big files: inline strings and no <dimension>, the values of
bench/make_big_workbook.c. usage: make_big_openpyxl.py OUTPUT.xlsx [ROWS]"""
import sys, datetime
from openpyxl import Workbook
from openpyxl.cell import WriteOnlyCell
rows = int(sys.argv[2]) if len(sys.argv) > 2 else 100000
wb = Workbook(write_only=True)
ws = wb.create_sheet("Orders")
ws.append(["Region","Customer","Quantity","Unit Price","Paid","Ordered","Shipped At","Discount","Notes","Code"])
regions = ["North","South","East","West","Central & Islands"]
for r in range(1, rows+1):
    ws.append([regions[r%5], f"Customer {r}", r%97, (r%1000)/8.0+0.99, r%3==0,
               datetime.date(2020+r%5, 1+r%12, 1+r%28), datetime.datetime(2021,1+r%12,1+r%28,r%24,r%60,0),
               (r%20)/100.0, "ok" if r%7 else "call <back> later", 1000000+r*7])
wb.save(sys.argv[1])
