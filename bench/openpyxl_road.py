#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""The whole road done with openpyxl in read-only mode, for comparison:
the used range of the active sheet to XML with a header row, as
kestrilo-cli writes it by default."""
import sys
from xml.sax.saxutils import escape

import openpyxl


def main(source, target):
    sheet = openpyxl.load_workbook(source, read_only=True).active
    rows = sheet.iter_rows(values_only=True)
    tags = [str(h).replace(" ", "") for h in next(rows)]
    out = ["<XML>\r\n"]
    for row in rows:
        for tag, value in zip(tags, row):
            text = "" if value is None else escape(str(value))
            out.append("\t<%s>%s</%s>\r\n" % (tag, text, tag))
    out.append("</XML>\r\n")
    with open(target, "w", encoding="utf-8", newline="") as f:
        f.write("".join(out))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
