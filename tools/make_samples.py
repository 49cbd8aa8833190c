#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Makes the sample workbooks that ship beside the program in "Samples".

Each sample shows one way of reading a block of cells, so that a new user can
try every header mode at once:

  Fruit Prices.xlsx     header row (and, on its second sheet, header column);
                        the block B2:D4 also suits both headers and none
  Staff List.ods        header row with dates, times and true/false cells
  Monthly Sales.xls     first row and first column are headers
  Sensor Readings.csv   no headers at all

Each data sheet holds its block alone, so that its used range is the block
(what kestrilo-cli converts by default); the hints for the window sit on a
last sheet, "Read Me".

Needs python3-openpyxl and LibreOffice (soffice) for the .ods and .xls
copies. Run from anywhere: tools/make_samples.py [output folder]
"""

import datetime
import os
import shutil
import subprocess
import sys
import tempfile

import openpyxl
from openpyxl.styles import Font

FIXED_TIME = datetime.datetime(2021, 8, 31, 12, 0, 0)


def new_workbook():
    book = openpyxl.Workbook()
    book.properties.creator = "Kestrilo"
    book.properties.created = FIXED_TIME
    book.properties.modified = FIXED_TIME
    return book


def add_read_me(book, *lines):
    sheet = book.create_sheet("Read Me")
    for row, line in enumerate(lines, start=1):
        sheet.cell(row=row, column=1, value=line)
    sheet.column_dimensions["A"].width = 100


def bold_row(sheet, row, first_col, last_col):
    for col in range(first_col, last_col + 1):
        sheet.cell(row=row, column=col).font = Font(bold=True)


def fruit_prices(path):
    book = new_workbook()
    rows = book.active
    rows.title = "Header Row"
    for r, values in enumerate(
            [("Fruit", "Unit Price", "Qty"), ("Apple", 1.5, 10),
             ("Green Pear", 2, 7)], start=2):
        for c, value in enumerate(values, start=2):
            rows.cell(row=r, column=c, value=value)
    bold_row(rows, 2, 2, 4)
    rows.column_dimensions["B"].width = 14
    rows.column_dimensions["C"].width = 12

    columns = book.create_sheet("Header Column")
    for r, values in enumerate(
            [("Fruit", "Apple", "Green Pear"), ("Unit Price", 1.5, 2),
             ("Qty", 10, 7)], start=2):
        for c, value in enumerate(values, start=2):
            cell = columns.cell(row=r, column=c, value=value)
            if c == 2:
                cell.font = Font(bold=True)
    columns.column_dimensions["B"].width = 14
    add_read_me(
        book,
        "Header Row: highlight B2:D4. With \"First row in the selection is a "
        "header row\" every cell becomes a tag named after its column: "
        "Fruit, UnitPrice, Qty. Try the other modes too.",
        "Header Column: highlight B2:D4 with \"First column in the selection "
        "is a header column\": the headers run down column B.")
    book.save(path)


def staff_list(path):
    book = new_workbook()
    sheet = book.active
    sheet.title = "Staff"
    header = ("Name", "Department", "Start Date", "Shift Start", "Full Time")
    people = [
        ("Ada Moreau", "Accounts", datetime.date(2015, 3, 2),
         datetime.time(8, 30), True),
        ("Ben Okafor", "Warehouse", datetime.date(2019, 11, 18),
         datetime.time(6, 0), True),
        ("Chloé Varga", "Design", datetime.date(2021, 6, 1),
         datetime.time(10, 0), False),
        ("Dev Raman", "Sales", datetime.date(2008, 1, 7),
         datetime.time(9, 15), True),
    ]
    for c, value in enumerate(header, start=1):
        sheet.cell(row=1, column=c, value=value)
    bold_row(sheet, 1, 1, 5)
    for r, person in enumerate(people, start=2):
        for c, value in enumerate(person, start=1):
            cell = sheet.cell(row=r, column=c, value=value)
            if isinstance(value, datetime.date):
                cell.number_format = "yyyy-mm-dd"
            elif isinstance(value, datetime.time):
                cell.number_format = "hh:mm"
            elif isinstance(value, bool):
                # With a truth-value format LibreOffice keeps the cell a
                # boolean in the .ods instead of the number 1 or 0.
                cell.number_format = '"TRUE";"TRUE";"FALSE"'
    for letter, width in zip("ABCDE", (16, 14, 12, 12, 10)):
        sheet.column_dimensions[letter].width = width
    add_read_me(book, "Staff: highlight A1:E5 with \"First row in the "
                "selection is a header row\".")
    book.save(path)


def monthly_sales(path):
    book = new_workbook()
    sheet = book.active
    sheet.title = "Sales"
    table = [
        ("Region", "January", "February", "March", "April"),
        ("North", 1200, 950, 1310, 1405.5),
        ("South", 870, 1020, 990, 1100),
        ("East West", 640, 700, 815.25, 760),
    ]
    for r, values in enumerate(table, start=1):
        for c, value in enumerate(values, start=1):
            cell = sheet.cell(row=r, column=c, value=value)
            if r == 1 or c == 1:
                cell.font = Font(bold=True)
    sheet.column_dimensions["A"].width = 12
    add_read_me(book, "Sales: highlight A1:E4 with \"First row and column in "
                "the selection are headers\", then try Row First and Column "
                "First.")
    book.save(path)


def sensor_readings(path):
    readings = [
        (21.4, 21.6, 21.9, 22.3),
        (19.8, 20.1, 20.0, 20.4),
        (23.0, 23.2, 23.7, 24.1),
    ]
    with open(path, "w", newline="", encoding="utf-8") as out:
        for row in readings:
            out.write(",".join(str(v) for v in row) + "\r\n")


def convert(source, target_format, target_folder, profile):
    subprocess.run(
        ["soffice", "-env:UserInstallation=file://" + profile, "--headless",
         "--convert-to", target_format, "--outdir", target_folder, source],
        check=True, stdout=subprocess.DEVNULL)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = (sys.argv[1] if len(sys.argv) > 1 else
           os.path.join(here, "..", "samples"))
    os.makedirs(out, exist_ok=True)
    fruit_prices(os.path.join(out, "Fruit Prices.xlsx"))
    sensor_readings(os.path.join(out, "Sensor Readings.csv"))
    with tempfile.TemporaryDirectory() as work:
        profile = os.path.join(work, "profile")
        staff = os.path.join(work, "Staff List.xlsx")
        staff_list(staff)
        convert(staff, "ods", out, profile)
        sales = os.path.join(work, "Monthly Sales.xlsx")
        monthly_sales(sales)
        convert(sales, "xls:MS Excel 97", out, profile)


if __name__ == "__main__":
    main()
