// SPDX-License-Identifier: MIT
// Workbooks of BIFF records for the xls tests: streams of sheets with the
// records a test gives, in a compound file, and the texts that show what
// was read.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "biff_test_writer.h"
#include "engine/model/column_letters.h"
#include "engine/model/row_sink.h"
#include "engine/model/workbook.h"
#include "engine/writing/cell_text.h"

namespace kestrilo::testing_support {

inline std::string ValueText(const CellValue& value) {
  switch (value.kind) {
    case CellKind::kEmpty:
      return "empty";
    case CellKind::kNumber:
      return "number " + CellText(value);
    case CellKind::kText:
      return "text " + std::string(value.text);
    case CellKind::kBoolean:
      return "boolean " + CellText(value);
    case CellKind::kDateTime:
      return (value.time_only ? "time " : "date ") + CellText(value);
    case CellKind::kError:
      return "error " + std::string(value.text);
  }
  return "?";
}

inline std::string Cell(const Sheet& sheet, int row, int column) {
  return ValueText(sheet.Cell(row, column));
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)),
                     std::istreambuf_iterator<char>());
}

inline std::string Rk(std::int32_t integer) {
  return U32((static_cast<std::uint32_t>(integer) << 2) | 2);
}

inline std::string RkCents(std::int32_t cents) {
  return U32((static_cast<std::uint32_t>(cents) << 2) | 3);
}

inline std::string RkDouble(double value) {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return U32(static_cast<std::uint32_t>(bits >> 32) & 0xFFFFFFFCu);
}

inline std::string Cell3(int row, int column, int xf) {
  return U16(static_cast<std::uint16_t>(row - 1)) +
         U16(static_cast<std::uint16_t>(column - 1)) +
         U16(static_cast<std::uint16_t>(xf));
}

inline std::string FormulaRecordBody(int row, int column, int xf,
                                     const std::string& result) {
  return Cell3(row, column, xf) + result + U16(0) + U32(0) + U16(0);
}

inline std::string SpecialResult(std::uint8_t type, std::uint8_t value) {
  return U8(type) + U8(0) + U8(value) + U8(0) + U16(0) + U16(0xFFFF);
}

struct TestSheet {
  std::string name;        // raw bytes for BIFF5, Latin-1 for BIFF8
  std::uint8_t state = 0;  // 0 visible, 1 hidden, 2 very hidden
  std::uint8_t type = 0;   // 0 worksheet, 2 chart
  BiffStream cells;
};

// XF 0 General, 1 date (built-in 14), 2 time of day (built-in 20),
// 3 custom date and time, 4 elapsed hours (built-in 46), 5 custom number.
inline std::string FormatsAndXfs(bool biff8) {
  BiffStream globals;
  auto format = [&](int id, const std::string& code) {
    globals.Record(
        0x041E,
        U16(static_cast<std::uint16_t>(id)) +
            (biff8 ? CompressedString(code)
                   : U8(static_cast<std::uint8_t>(code.size())) + code));
  };
  format(164, "yyyy\\-mm\\-dd\\ hh:mm");
  format(165, "#,##0.00\" days\"");
  for (int id : {0, 14, 20, 164, 46, 165}) {
    globals.Record(0x00E0, U16(0) + U16(static_cast<std::uint16_t>(id)) +
                               std::string(biff8 ? 16 : 12, '\0'));
  }
  return globals.bytes();
}

// A workbook stream: globals (BOF, the given records, formats, XFs,
// WINDOW1 with the active tab, BOUNDSHEETs), then each sheet's substream.
inline std::string WorkbookStream(std::vector<TestSheet>& sheets,
                                  const std::string& globals_records,
                                  int active_tab = 0, bool biff8 = true) {
  const std::uint16_t version = biff8 ? 0x0600 : 0x0500;
  auto bof = [&](std::uint16_t type) {
    return U16(version) + U16(type) + U16(0x0DBB) + U16(1996) +
           (biff8 ? U32(0) + U32(6) : "");
  };
  BiffStream stream;
  stream.Record(0x0809, bof(0x0005));
  stream.bytes() += globals_records;
  stream.bytes() += FormatsAndXfs(biff8);
  stream.Record(0x003D, std::string(10, '\0') +
                            U16(static_cast<std::uint16_t>(active_tab)) +
                            U16(0) + U16(1) + U16(600));
  std::vector<std::size_t> position_fields;
  for (const TestSheet& sheet : sheets) {
    position_fields.push_back(stream.size() + 4);
    std::string name = U8(static_cast<std::uint8_t>(sheet.name.size()));
    if (biff8) name += U8(0);
    stream.Record(
        0x0085, U32(0) + U8(sheet.state) + U8(sheet.type) + name + sheet.name);
  }
  stream.Record(0x000A, "");
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    PutU32(stream.bytes(), position_fields[i],
           static_cast<std::uint32_t>(stream.size()));
    stream.Record(0x0809, bof(sheets[i].type == 2 ? 0x0020 : 0x0010));
    stream.bytes() += sheets[i].cells.bytes();
    stream.Record(0x000A, "");
  }
  return stream.bytes();
}

inline std::string Container(const std::string& stream,
                             const std::string& name = "Workbook") {
  CompoundFileWriter writer;
  writer.AddStream(name, stream);
  writer.AddStream("\x05SummaryInformation", std::string(200, '\0'));
  return writer.Build();
}

inline std::string ShowName(const Workbook& workbook, const BlockName& name) {
  std::string text = name.name;
  if (name.scope_sheet >= 0) {
    text += "@" + workbook.sheet(name.scope_sheet).name();
  }
  if (!name.usable()) return text + ": " + name.unusable_reason;
  return text + " = " + name.definition;
}

inline std::vector<std::string> ShowNames(const Workbook& workbook) {
  std::vector<std::string> shown;
  for (const BlockName& name : workbook.names()) {
    shown.push_back(ShowName(workbook, name));
  }
  return shown;
}

// The rows sent, one line each ("3: A=text x C=number 1"), texts copied
// while they are valid; and the layout, when asked for.
class RowLines : public RowSink {
 public:
  explicit RowLines(bool with_layout = false) : with_layout_(with_layout) {}

  void AddRow(std::int32_t row, std::span<const RowCell> cells) override {
    std::string line = std::to_string(row) + ":";
    for (const RowCell& cell : cells) {
      line += " " + ColumnLetters(cell.column) + "=" + ValueText(cell.value);
    }
    lines.push_back(line);
  }
  SheetLayout* layout() override { return with_layout_ ? &layout_ : nullptr; }

  std::vector<std::string> lines;
  SheetLayout layout_;

 private:
  bool with_layout_;
};

}  // namespace kestrilo::testing_support
