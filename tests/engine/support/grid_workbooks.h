// SPDX-License-Identifier: MIT

#pragma once
// Writes one small grid of typed cells as a workbook of each format the
// tool reads (xlsx, ods, xls, csv), so that a test can check that every
// reader's road gives the same XML. A csv holds texts only: each value is
// written in the form the records layout writes it, so that the XML agrees
// byte for byte and only a schema's types differ.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "biff_test_writer.h"
#include "engine/model/cell_value.h"
#include "engine/writing/cell_text.h"
#include "engine/writing/schema_value.h"
#include "test_package.h"

namespace kestrilo::testing_support {

/// One cell: a text, or a value of another kind (its text unused).
struct GridCell {
  CellValue value;
  std::string text;
};

inline GridCell Text(std::string text) {
  return {CellValue::Text({}), std::move(text)};
}
inline GridCell Number(double value) { return {CellValue::Number(value), {}}; }
inline GridCell Bool(bool value) { return {CellValue::Boolean(value), {}}; }
/// A date (whole serial) or date and time.
inline GridCell Date(double serial) {
  return {CellValue::DateTime(serial), {}};
}
/// A time of day, as a fraction of a day.
inline GridCell Time(double fraction) {
  return {CellValue::DateTime(fraction, true), {}};
}
inline GridCell Blank() { return {}; }

/// Rows from row 1, cells from column A.
using Grid = std::vector<std::vector<GridCell>>;

enum class GridFormat { kXlsx, kOds, kXls, kCsv };

inline const char* ExtensionOf(GridFormat format) {
  switch (format) {
    case GridFormat::kXlsx:
      return "xlsx";
    case GridFormat::kOds:
      return "ods";
    case GridFormat::kXls:
      return "xls";
    case GridFormat::kCsv:
      break;
  }
  return "csv";
}

namespace grid_detail {

inline std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

// The form the records layout writes a value in.
inline std::string SchemaForm(const CellValue& value) {
  char text[kMaxSchemaValueSize];
  SchemaType type;
  return std::string(text, WriteSchemaValue(value, text, type));
}

inline std::string Number17(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

inline std::string CellRef(std::size_t row, std::size_t column) {
  std::string letters;
  for (std::size_t n = column + 1; n > 0; n = (n - 1) / 26) {
    letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
  }
  return letters + std::to_string(row + 1);
}

// Styles 1 date, 2 date and time, 3 time of day (built-in formats).
inline int StyleOf(const CellValue& value) {
  if (value.kind != CellKind::kDateTime) return 0;
  if (value.time_only) return 3;
  return value.number == std::floor(value.number) ? 1 : 2;
}

inline std::string XlsxSheetRows(const Grid& grid) {
  std::string rows;
  for (std::size_t r = 0; r < grid.size(); ++r) {
    rows += "<row r=\"" + std::to_string(r + 1) + "\">";
    for (std::size_t c = 0; c < grid[r].size(); ++c) {
      const GridCell& cell = grid[r][c];
      const std::string ref = " r=\"" + CellRef(r, c) + "\"";
      switch (cell.value.kind) {
        case CellKind::kEmpty:
        case CellKind::kError:
          break;
        case CellKind::kText:
          rows += "<c" + ref +
                  " t=\"inlineStr\"><is><t xml:space=\"preserve\">" +
                  Escaped(cell.text) + "</t></is></c>";
          break;
        case CellKind::kBoolean:
          rows += "<c" + ref + " t=\"b\"><v>" +
                  (cell.value.number != 0 ? "1" : "0") + "</v></c>";
          break;
        default:
          rows += "<c" + ref + " s=\"" + std::to_string(StyleOf(cell.value)) +
                  "\"><v>" + Number17(cell.value.number) + "</v></c>";
      }
    }
    rows += "</row>";
  }
  return rows;
}

// A line break and a TAB are elements of their own in a paragraph, where
// raw white space would read as one space.
inline std::string OdsText(const std::string& text) {
  std::string out;
  for (char c : Escaped(text)) {
    if (c == '\n') {
      out += "<text:line-break/>";
    } else if (c == '\t') {
      out += "<text:tab/>";
    } else {
      out += c;
    }
  }
  return out;
}

inline std::string OdsCell(const GridCell& cell) {
  const CellValue& value = cell.value;
  switch (value.kind) {
    case CellKind::kEmpty:
    case CellKind::kError:
      return "<table:table-cell/>";
    case CellKind::kText:
      return "<table:table-cell office:value-type=\"string\"><text:p>" +
             OdsText(cell.text) + "</text:p></table:table-cell>";
    case CellKind::kBoolean:
      return std::string(
                 "<table:table-cell office:value-type=\"boolean\" "
                 "office:boolean-value=\"") +
             (value.number != 0 ? "true" : "false") + "\"/>";
    case CellKind::kNumber:
      return "<table:table-cell office:value-type=\"float\" office:value=\"" +
             Number17(value.number) + "\"/>";
    case CellKind::kDateTime:
      break;
  }
  std::string form = SchemaForm(value);
  if (!value.time_only) {
    // ISO 8601's form, which has the year 0 that XML Schema's lacks.
    form = CellText(value);
    std::replace(form.begin(), form.end(), ' ', 'T');
    return "<table:table-cell office:value-type=\"date\" "
           "office:date-value=\"" +
           form + "\"/>";
  }
  return "<table:table-cell office:value-type=\"time\" office:time-value=\"PT" +
         form.substr(0, 2) + "H" + form.substr(3, 2) + "M" + form.substr(6, 2) +
         "S\"/>";
}

inline std::string OdsContent(const Grid& grid) {
  std::string rows;
  for (const auto& row : grid) {
    rows += "<table:table-row>";
    for (const GridCell& cell : row) rows += OdsCell(cell);
    rows += "</table:table-row>";
  }
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<office:document-content "
         "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "office:version=\"1.3\"><office:body><office:spreadsheet>"
         "<table:table table:name=\"Sheet1\">" +
         rows +
         "</table:table></office:spreadsheet></office:body>"
         "</office:document-content>";
}

// UTF-8 to code points, for the wide strings of BIFF8.
inline std::u32string CodePoints(const std::string& text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t code = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (int k = 1; k < length; ++k) {
      code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    out += code;
    i += static_cast<std::size_t>(length);
  }
  return out;
}

inline std::string XlsBytes(const Grid& grid) {
  auto cell3 = [](std::size_t row, std::size_t column, int xf) {
    return U16(static_cast<std::uint16_t>(row)) +
           U16(static_cast<std::uint16_t>(column)) +
           U16(static_cast<std::uint16_t>(xf));
  };
  auto bof = [](std::uint16_t type) {
    return U16(0x0600) + U16(type) + U16(0x0DBB) + U16(1996) + U32(0) + U32(6);
  };
  BiffStream cells;
  for (std::size_t r = 0; r < grid.size(); ++r) {
    for (std::size_t c = 0; c < grid[r].size(); ++c) {
      const GridCell& cell = grid[r][c];
      const CellValue& value = cell.value;
      if (value.kind == CellKind::kText) {
        cells.Record(0x0204,
                     cell3(r, c, 0) + WideString(CodePoints(cell.text)));
      } else if (value.kind == CellKind::kBoolean) {
        cells.Record(0x0205, cell3(r, c, 0) + U8(value.number != 0) + U8(0));
      } else if (value.kind == CellKind::kNumber ||
                 value.kind == CellKind::kDateTime) {
        cells.Record(0x0203, cell3(r, c, StyleOf(value)) + F64(value.number));
      }
    }
  }
  BiffStream stream;
  stream.Record(0x0809, bof(0x0005));
  for (int format : {0, 14, 22, 21}) {
    stream.Record(0x00E0, U16(0) + U16(static_cast<std::uint16_t>(format)) +
                              std::string(16, '\0'));
  }
  stream.Record(0x003D,
                std::string(10, '\0') + U16(0) + U16(0) + U16(1) + U16(600));
  const std::size_t position = stream.size() + 4;
  stream.Record(0x0085, U32(0) + U8(0) + U8(0) + U8(6) + U8(0) + "Sheet1");
  stream.Record(0x000A, "");
  PutU32(stream.bytes(), position, static_cast<std::uint32_t>(stream.size()));
  stream.Record(0x0809, bof(0x0010));
  stream.bytes() += cells.bytes();
  stream.Record(0x000A, "");
  CompoundFileWriter writer;
  writer.AddStream("Workbook", stream.bytes());
  return writer.Build();
}

inline std::string CsvText(const Grid& grid) {
  std::string text;
  for (const auto& row : grid) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (c > 0) text += ',';
      const GridCell& cell = row[c];
      std::string field = cell.value.kind == CellKind::kText
                              ? cell.text
                              : SchemaForm(cell.value);
      if (field.find_first_of(",\"\r\n") != std::string::npos) {
        std::string quoted = "\"";
        for (char ch : field)
          quoted += ch == '"' ? std::string("\"\"") : std::string(1, ch);
        field = quoted + "\"";
      }
      text += field;
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace grid_detail

/// Writes `grid` as a one-sheet workbook `name`.`format` in the test's
/// folder; returns its path.
inline std::string WriteGrid(const std::string& name, GridFormat format,
                             const Grid& grid) {
  const std::string file = name + "." + ExtensionOf(format);
  switch (format) {
    case GridFormat::kXlsx:
      return WritePackage(
          file, OneSheetPackage(
                    grid_detail::XlsxSheetRows(grid), "",
                    "<cellXfs count=\"4\"><xf numFmtId=\"0\"/>"
                    "<xf numFmtId=\"14\" applyNumberFormat=\"1\"/>"
                    "<xf numFmtId=\"22\" applyNumberFormat=\"1\"/>"
                    "<xf numFmtId=\"21\" applyNumberFormat=\"1\"/></cellXfs>"));
    case GridFormat::kOds:
      return WritePackage(
          file, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                 {"content.xml", grid_detail::OdsContent(grid)}});
    case GridFormat::kXls:
    case GridFormat::kCsv:
      break;
  }
  const std::string path = TestFilePath(file);
  std::ofstream(path, std::ios::binary)
      << (format == GridFormat::kXls ? grid_detail::XlsBytes(grid)
                                     : grid_detail::CsvText(grid));
  return path;
}

}  // namespace kestrilo::testing_support
