#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Writes the ods twin of make_big_workbook.c: 100,000 rows of 10 columns
(a header row on top) holding repeated and unique texts, integers,
decimals, booleans, dates and date-times, marked up the way LibreOffice
writes them. LibreOffice itself is not needed.

usage: make_big_ods.py OUTPUT.ods
"""
import sys
import zipfile

MIMETYPE = "application/vnd.oasis.opendocument.spreadsheet"
NAMESPACES = (
    'xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
    'xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0" '
    'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
    'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
    'xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0" '
    'xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0" '
    'xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:'
    'xmlns:calcext:1.0" office:version="1.3"'
)
HEADERS = ["Region", "Customer", "Quantity", "Unit Price", "Paid", "Ordered",
           "Shipped At", "Discount", "Notes", "Code"]
REGIONS = ["North", "South", "East", "West", "Central &amp; Islands"]
ROWS = 100000


def text(value):
    return ('<table:table-cell office:value-type="string" '
            'calcext:value-type="string"><text:p>%s</text:p>'
            '</table:table-cell>' % value)


def number(value):
    shown = repr(value) if isinstance(value, float) else str(value)
    return ('<table:table-cell office:value-type="float" office:value="%s" '
            'calcext:value-type="float"><text:p>%s</text:p>'
            '</table:table-cell>' % (shown, shown))


def boolean(value):
    word = "true" if value else "false"
    return ('<table:table-cell table:style-name="ce1" '
            'office:value-type="boolean" office:boolean-value="%s" '
            'calcext:value-type="boolean"><text:p>%s</text:p>'
            '</table:table-cell>' % (word, word.upper()))


def date(value, style, shown):
    return ('<table:table-cell table:style-name="%s" '
            'office:value-type="date" office:date-value="%s" '
            'calcext:value-type="date"><text:p>%s</text:p>'
            '</table:table-cell>' % (style, value, shown))


def content_parts():
    yield ('<?xml version="1.0" encoding="UTF-8"?>\n'
           '<office:document-content %s><office:automatic-styles>'
           '<style:style style:name="co1" style:family="table-column">'
           '<style:table-column-properties style:column-width="2.258cm"/>'
           '</style:style>'
           '<style:style style:name="ro1" style:family="table-row">'
           '<style:table-row-properties style:row-height="0.452cm"/>'
           '</style:style>'
           '<style:style style:name="ta1" style:family="table">'
           '<style:table-properties table:display="true"/></style:style>'
           '<number:boolean-style style:name="N99"><number:boolean/>'
           '</number:boolean-style>'
           '<number:date-style style:name="N37"><number:year '
           'number:style="long"/><number:text>-</number:text><number:month '
           'number:style="long"/><number:text>-</number:text><number:day '
           'number:style="long"/></number:date-style>'
           '<style:style style:name="ce1" style:family="table-cell" '
           'style:parent-style-name="Default" style:data-style-name="N99"/>'
           '<style:style style:name="ce2" style:family="table-cell" '
           'style:parent-style-name="Default" style:data-style-name="N37"/>'
           '<style:style style:name="ce3" style:family="table-cell" '
           'style:parent-style-name="Default" style:data-style-name="N37"/>'
           '</office:automatic-styles><office:body><office:spreadsheet>'
           '<table:table table:name="Orders" table:style-name="ta1">'
           '<table:table-column table:style-name="co1" '
           'table:number-columns-repeated="10" '
           'table:default-cell-style-name="Default"/>' % NAMESPACES)
    yield ('<table:table-row table:style-name="ro1">' +
           "".join(text(h) for h in HEADERS) + "</table:table-row>")
    for r in range(1, ROWS + 1):
        day = "%d-%02d-%02d" % (2020 + r % 5, 1 + r % 12, 1 + r % 28)
        moment = "2021-%02d-%02dT%02d:%02d:00" % (1 + r % 12, 1 + r % 28,
                                                  r % 24, r % 60)
        shown = "2021-%02d-%02d %02d:%02d" % (1 + r % 12, 1 + r % 28, r % 24,
                                              r % 60)
        yield ('<table:table-row table:style-name="ro1">' +
               text(REGIONS[r % 5]) + text("Customer %d" % r) +
               number(r % 97) + number((r % 1000) / 8.0 + 0.99) +
               boolean(r % 3 == 0) + date(day, "ce2", day) +
               date(moment, "ce3", shown) + number((r % 20) / 100.0) +
               text("ok" if r % 7 else "call &lt;back&gt; later") +
               number(1000000 + r * 7) + "</table:table-row>")
    yield ('<table:table-row table:style-name="ro1" '
           'table:number-rows-repeated="948575"><table:table-cell '
           'table:number-columns-repeated="1024"/></table:table-row>'
           '</table:table></office:spreadsheet></office:body>'
           '</office:document-content>')


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    with zipfile.ZipFile(sys.argv[1], "w") as ods:
        # mimetype comes first and stored, so that its name and value sit
        # at fixed offsets for tools that sniff the format.
        ods.writestr("mimetype", MIMETYPE, zipfile.ZIP_STORED)
        info = zipfile.ZipInfo("content.xml")
        info.compress_type = zipfile.ZIP_DEFLATED
        with ods.open(info, "w") as part:
            for piece in content_parts():
                part.write(piece.encode())
        ods.writestr("styles.xml",
                     '<?xml version="1.0" encoding="UTF-8"?>\n'
                     '<office:document-styles %s><office:styles>'
                     '<style:style style:name="Default" '
                     'style:family="table-cell"/></office:styles>'
                     '</office:document-styles>' % NAMESPACES,
                     zipfile.ZIP_DEFLATED)
        ods.writestr("META-INF/manifest.xml",
                     '<?xml version="1.0" encoding="UTF-8"?>\n'
                     '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:'
                     'opendocument:xmlns:manifest:1.0" manifest:version="1.3">'
                     '<manifest:file-entry manifest:full-path="/" '
                     'manifest:version="1.3" manifest:media-type="%s"/>'
                     '<manifest:file-entry manifest:full-path="content.xml" '
                     'manifest:media-type="text/xml"/>'
                     '<manifest:file-entry manifest:full-path="styles.xml" '
                     'manifest:media-type="text/xml"/></manifest:manifest>'
                     % MIMETYPE, zipfile.ZIP_DEFLATED)


if __name__ == "__main__":
    main()
