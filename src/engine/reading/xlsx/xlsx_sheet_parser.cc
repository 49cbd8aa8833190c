// SPDX-License-Identifier: MIT

#include "engine/reading/xlsx/xlsx_sheet_parser.h"

#include "engine/input/workbook_error.h"
#include "engine/model/excel_width.h"
#include "engine/text/ascii_text.h"
#include "engine/text/iso_date.h"
#include "engine/text/number_text.h"

namespace kestrilo {

using Token = XmlTokenizer::Token;

struct XlsxSheetParser::CellState {
  std::int32_t row = 0;
  std::int32_t column = 0;
  XlsxCellType type = XlsxCellType::kNumber;
  std::uint32_t style = 0;
  bool in_cell = false;
  bool has_value = false;
  bool has_formula = false;
  bool in_v = false;
  bool in_inline = false;
  bool in_t = false;
  int phonetic_depth = 0;
  std::string value;
  std::string inline_text;
  // The number of the current row as its <row> writes it, when plain
  // digits that a cell reference may end with: most of its cells repeat
  // them, and are spared reading them again.
  char row_digits[8] = {};
  std::size_t row_digits_size = 0;
  std::int32_t row_number = 0;

  void KeepRowDigits(std::string_view digits, std::int32_t number) {
    row_digits_size = 0;
    if (digits.empty() || digits.size() > sizeof row_digits) return;
    for (char c : digits) {
      if (c < '0' || c > '9') return;
    }
    digits.copy(row_digits, digits.size());
    row_digits_size = digits.size();
    row_number = number;
  }

  // Forgets the previous cell but keeps the position and the buffers.
  void StartNew() {
    type = XlsxCellType::kNumber;
    style = 0;
    in_cell = true;
    has_value = has_formula = in_v = in_inline = in_t = false;
    phonetic_depth = 0;
    value.clear();
    inline_text.clear();
  }
};

namespace {

// ParseCellReference for a cell of the row `cell` is in: when `ref` ends
// with the row's own digits, only its letters are read.
bool ParseReferenceInRow(std::string_view ref,
                         XlsxSheetParser::CellState& cell) {
  const std::size_t digits = cell.row_digits_size;
  if (digits != 0 && ref.size() > digits && ref.size() - digits <= 3) {
    const std::size_t letters = ref.size() - digits;
    std::size_t i = 0;
    while (i < digits && ref[letters + i] == cell.row_digits[i]) ++i;
    std::int32_t col = 0;
    std::size_t j = 0;
    for (; i == digits && j < letters; ++j) {
      const unsigned letter =
          (static_cast<unsigned char>(ref[j]) | 0x20u) - unsigned{'a'};
      if (letter >= 26) break;
      col = col * 26 + static_cast<std::int32_t>(letter) + 1;
    }
    if (i == digits && j == letters) {
      if (col > kMaxColumns) return false;
      cell.row = cell.row_number;
      cell.column = col;
      return true;
    }
  }
  return ParseCellReference(ref, cell.row, cell.column);
}

// Where the cells of <sheetData> go: the sheet of the model.
class SheetTarget {
 public:
  explicit SheetTarget(Sheet& sheet) : sheet_(sheet) {}

  void Put(std::int32_t row, std::int32_t column, const CellValue& value,
           std::uint32_t style) {
    switch (value.kind) {
      case CellKind::kNumber:
        sheet_.SetNumber(row, column, value.number, style);
        return;
      case CellKind::kBoolean:
        sheet_.SetBoolean(row, column, value.number != 0, style);
        return;
      case CellKind::kDateTime:
        sheet_.SetDateTime(row, column, value.number, value.time_only, style);
        return;
      case CellKind::kText:
        sheet_.SetText(row, column, value.text, style);
        return;
      case CellKind::kError:
        sheet_.SetError(row, column, value.text, style);
        return;
      case CellKind::kEmpty:
        return;
    }
  }
  void PutPooled(std::int32_t row, std::int32_t column, std::uint32_t index,
                 std::uint32_t style) {
    sheet_.SetPooledText(row, column, index, style);
  }
  SheetLayout* layout() { return &sheet_.layout(); }
  static constexpr bool Paused() { return false; }

 private:
  Sheet& sheet_;
};

// Element names that matter inside <sheetData>, told apart cheaply: this
// loop runs for every tag of every cell.
enum class SheetTag : std::uint8_t { kOther, kRow, kC, kV, kF, kIs, kT, kRPh };

SheetTag ClassifySheetTag(std::string_view name) {
  switch (name.size()) {
    case 1:
      switch (name[0]) {
        case 'c':
          return SheetTag::kC;
        case 'v':
          return SheetTag::kV;
        case 'f':
          return SheetTag::kF;
        case 't':
          return SheetTag::kT;
      }
      return SheetTag::kOther;
    case 2:
      return name == "is" ? SheetTag::kIs : SheetTag::kOther;
    case 3:
      if (name[0] == 'r' && name[1] == 'o' && name[2] == 'w') {
        return SheetTag::kRow;
      }
      return name == "rPh" ? SheetTag::kRPh : SheetTag::kOther;
  }
  return SheetTag::kOther;
}

}  // namespace

XlsxSheetParser::XlsxSheetParser(const std::string& path, std::string part,
                                 const XlsxCellContext& context)
    : path_(path),
      part_(std::move(part)),
      context_(context),
      cell_(std::make_unique<CellState>()) {}

XlsxSheetParser::~XlsxSheetParser() = default;

void XlsxSheetParser::Fail(const std::string& reason) const {
  throw WorkbookError(path_, reason);
}

void XlsxSheetParser::FailCell(std::int32_t row, std::int32_t column,
                               const std::string& why) const {
  Fail("in the part " + part_ + ", the cell at row " + std::to_string(row) +
       ", column " + std::to_string(column) + " " + why);
}

void XlsxSheetParser::ParseWorksheet(XmlTokenizer& xml, Sheet& sheet) {
  SheetLayout& layout = sheet.layout();
  // What Excel shows for a sheet that states no defaults, with Calibri 11.
  layout.SetDefaultColumnWidth(*ExcelBaseWidthToPoints(8));
  layout.SetDefaultRowHeight(kExcelDefaultRowHeight);
  default_row_height_ = kExcelDefaultRowHeight;
  for (Token token = xml.Next(); token != Token::kEnd; token = xml.Next()) {
    if (token != Token::kStartTag || xml.depth() != 2) {
      if (token == Token::kStartTag && xml.depth() == 3 &&
          xml.local_name() == "col") {
        ReadColumns(xml, layout);
      } else if (token == Token::kStartTag && xml.depth() == 3 &&
                 xml.local_name() == "mergeCell") {
        ReadMergedArea(xml, layout);
      }
      continue;
    }
    const std::string_view name = xml.local_name();
    if (name == "sheetData" && !xml.self_closing()) {
      SheetTarget target(sheet);
      ParseSheetData(xml, target);
    } else if (name == "sheetFormatPr") {
      ReadSheetFormat(xml, layout);
    }
  }
}

void XlsxSheetParser::ReadSheetFormat(const XmlTokenizer& xml,
                                      SheetLayout& layout) {
  double value = 0;
  std::optional<float> width;
  if (ParseDouble(xml.AttributeOr("defaultColWidth"), value)) {
    width = ExcelColumnWidthToPoints(value);
  } else if (ParseDouble(xml.AttributeOr("baseColWidth"), value)) {
    width = ExcelBaseWidthToPoints(value);
  }
  if (width) layout.SetDefaultColumnWidth(*width);
  if (const auto height = RowHeight(xml.AttributeOr("defaultRowHeight"))) {
    layout.SetDefaultRowHeight(*height);
    default_row_height_ = *height;
  }
}

void XlsxSheetParser::ReadColumns(const XmlTokenizer& xml,
                                  SheetLayout& layout) {
  std::int32_t first = 0, last = 0;
  if (!ParseInteger(xml.AttributeOr("min"), first) ||
      !ParseInteger(xml.AttributeOr("max"), last) || first < 1 ||
      first > kMaxColumns || last < first) {
    return;  // a column record no application would draw
  }
  SheetLayout::Span span;
  span.first = first;
  span.last = std::min(last, kMaxColumns);
  double width = 0;
  if (ParseDouble(xml.AttributeOr("width"), width)) {
    span.size = ExcelColumnWidthToPoints(width);
  }
  span.hidden = IsTrue(xml.AttributeOr("hidden"));
  if (span.size || span.hidden) layout.AddColumns(span);
}

void XlsxSheetParser::ReadMergedArea(const XmlTokenizer& xml,
                                     SheetLayout& layout) {
  const std::string_view ref = xml.AttributeOr("ref");
  const std::optional<BlockGeometry> area = ParseCellArea(ref);
  // One outside the worksheet, or no area, is nothing to draw.
  if (ref.find(':') == std::string_view::npos || !area ||
      area->last_row() > kMaxRows) {
    return;
  }
  layout.AddMergedArea(*area);
}

bool XlsxSheetParser::ReachSheetData(XmlTokenizer& xml) {
  for (Token token = xml.Next(); token != Token::kEnd; token = xml.Next()) {
    if (token != Token::kStartTag || xml.depth() != 2 ||
        xml.local_name() != "sheetData") {
      continue;
    }
    if (xml.self_closing()) return false;
    // The rows are read once, front to back: the bytes behind them are
    // given back as they are passed, but the open elements stay open.
    xml.KeepOpenNames();
    return true;
  }
  return false;
}

bool XlsxSheetParser::ParseNextRow(XmlTokenizer& xml, XlsxRowTarget& target) {
  target.Resume();
  if (!rows_ended_) rows_ended_ = ParseSheetData(xml, target);
  if (target.Paused()) return true;
  target.Flush();
  return target.Paused();
}

void XlsxSheetParser::StartCell(const XmlTokenizer& xml) {
  CellState& cell = *cell_;
  cell.StartNew();
  bool has_ref = false;
  for (const auto& attribute : xml.attributes()) {
    if (attribute.name.size() != 1) continue;
    switch (attribute.name[0]) {
      case 'r':
        if (!ParseReferenceInRow(attribute.value, cell)) {
          Fail("in the part " + part_ + ", a cell has a bad reference \"" +
               std::string(attribute.value) + "\"");
        }
        has_ref = true;
        break;
      case 's':
        ParseInteger(attribute.value, cell.style);
        break;
      case 't':
        cell.type = ParseCellType(attribute.value);
        break;
    }
  }
  if (!has_ref) ++cell.column;
  if (cell.row < 1) cell.row = 1;
}

void XlsxSheetParser::StartRow(const XmlTokenizer& xml, SheetLayout* layout) {
  CellState& cell = *cell_;
  const std::string_view* number = nullptr;
  std::optional<float> height;
  bool hidden = false;
  for (const auto& attribute : xml.attributes()) {
    const std::string_view name = attribute.name;
    if (name.size() == 1 && name[0] == 'r') {
      number = &attribute.value;
    } else if (name.size() == 2 && name == "ht") {
      height = RowHeight(attribute.value);
    } else if (name.size() == 6 && name == "hidden") {
      hidden = IsTrue(attribute.value);
    }
  }
  if (number != nullptr) {
    std::int32_t r = 0;
    if (!ParseInteger(*number, r) || r < 1 || r > kMaxRows) {
      Fail("in the part " + part_ + ", a row has a bad number \"" +
           std::string(*number) + "\"");
    }
    cell.row = r;
    cell.KeepRowDigits(*number, r);
  } else {
    ++cell.row;
    cell.row_digits_size = 0;
  }
  cell.column = 0;
  // Most writers give every row its height: only those that differ from
  // the default are kept.
  if (height == default_row_height_) height.reset();
  if (layout != nullptr && (height || hidden) && cell.row >= 1 &&
      cell.row <= kMaxRows) {
    layout->AddRows(SheetLayout::Span{cell.row, cell.row, height, hidden});
  }
}

// Reads the rows of <sheetData>, from after its start tag to its end tag.
template <typename Target>
bool XlsxSheetParser::ParseSheetData(XmlTokenizer& xml, Target& target) {
  CellState& cell = *cell_;
  XmlTokenizer::FlatElement flat;
  for (;;) {
    // Most cells come whole in one step; the rest token by token.
    while (!cell.in_cell && xml.ReadFlatElement("c", flat)) {
      StartCell(xml);
      const std::string_view child = flat.child.size() == 1
                                         ? flat.child
                                         : XmlTokenizer::LocalName(flat.child);
      std::string_view value;
      if (child == "v") {
        value = flat.text;
        cell.has_value = true;
      } else if (child == "f") {
        cell.has_formula = true;
      }
      StoreCell(value, target);
      cell.in_cell = false;
      if (target.Paused()) return false;
    }
    const Token token = xml.Next();
    if (token == Token::kEnd) return true;
    if (token == Token::kText) {
      if (cell.in_v) {
        cell.value.append(xml.text());
      } else if (cell.in_t && cell.phonetic_depth == 0) {
        cell.inline_text.append(xml.text());
      }
      continue;
    }
    const std::string_view name = xml.local_name();
    const SheetTag tag = ClassifySheetTag(name);
    if (token == Token::kStartTag) {
      switch (tag) {
        case SheetTag::kC:
          StartCell(xml);
          break;
        case SheetTag::kRow:
          StartRow(xml, target.layout());
          break;
        case SheetTag::kV:
          cell.in_v = cell.has_value = cell.in_cell;
          break;
        case SheetTag::kF:
          cell.has_formula = cell.in_cell;
          break;
        case SheetTag::kIs:
          cell.in_inline = cell.has_value = cell.in_cell;
          break;
        case SheetTag::kT:
          cell.in_t = cell.in_inline;
          break;
        case SheetTag::kRPh:
          ++cell.phonetic_depth;
          break;
        case SheetTag::kOther:
          break;
      }
      continue;
    }
    switch (tag) {
      case SheetTag::kV:
        cell.in_v = false;
        break;
      case SheetTag::kT:
        cell.in_t = false;
        break;
      case SheetTag::kRPh:
        --cell.phonetic_depth;
        break;
      case SheetTag::kIs:
        cell.in_inline = false;
        break;
      case SheetTag::kC:
        if (cell.in_cell) StoreCell(cell.value, target);
        cell.in_cell = false;
        if (target.Paused()) return false;
        break;
      default:
        if (name.size() == 9 && name == "sheetData") return true;
    }
  }
}

template <typename Target>
void XlsxSheetParser::StoreCell(std::string_view value, Target& target) {
  CellState& cell = *cell_;
  const std::int32_t row = cell.row;
  const std::int32_t column = cell.column;
  const auto fail_cell = [row, column, this](const std::string& why) {
    FailCell(row, column, why);
  };
  if (row > kMaxRows || column > kMaxColumns) {
    fail_cell("lies outside the worksheet");
  }
  const std::string_view trimmed = TrimmedValue(value);
  // A cell format the part lacks is the default one.
  static constexpr CellFormat kDefaultFormat;
  const CellFormat& cell_format = cell.style < context_.cell_formats.size()
                                      ? context_.cell_formats[cell.style]
                                      : kDefaultFormat;
  const std::uint32_t style = cell_format.style;
  // An empty cached text (the result of ="") shows nothing and reads as
  // empty; it is a value all the same.
  if (cell.type == XlsxCellType::kFormulaText && cell.has_value &&
      value.empty()) {
    return;
  }
  if (!cell.has_value ||
      (cell.type != XlsxCellType::kInline &&
       cell.type != XlsxCellType::kFormulaText && trimmed.empty())) {
    // No cached value: a formula reads as empty, and a cell that is only
    // formatted is no cell at all.
    if (cell.has_formula) ++formulas_without_value_;
    return;
  }
  switch (cell.type) {
    case XlsxCellType::kNumber: {
      double number;
      if (!ParseDouble(trimmed, number)) {
        fail_cell("holds no number: \"" + std::string(value) + "\"");
      }
      const ValueFormat format = cell_format.value_format;
      // Most numbers are plain: no call to make them so.
      target.Put(row, column,
                 format == ValueFormat::kNumber
                     ? CellValue::Number(number)
                     : FormattedNumber(number, format, context_.date1904),
                 style);
      return;
    }
    case XlsxCellType::kShared: {
      std::uint32_t index = 0;
      if (!ParseInteger(trimmed, index) || index >= context_.shared_count) {
        fail_cell("refers to a missing shared string \"" + std::string(value) +
                  "\"");
      }
      target.PutPooled(row, column, context_.shared_base + index, style);
      return;
    }
    case XlsxCellType::kFormulaText: {
      std::string text(value);
      DecodeEscapes(text);
      target.Put(row, column, CellValue::Text(text), style);
      return;
    }
    case XlsxCellType::kInline:
      if (cell.inline_text.empty()) {
        cell.inline_text = value;  // some writers use <v> for inline text
      }
      DecodeEscapes(cell.inline_text);
      target.Put(row, column, CellValue::Text(cell.inline_text), style);
      return;
    case XlsxCellType::kBoolean:
      if (trimmed == "1" || trimmed == "true") {
        target.Put(row, column, CellValue::Boolean(true), style);
      } else if (trimmed == "0" || trimmed == "false") {
        target.Put(row, column, CellValue::Boolean(false), style);
      } else {
        fail_cell("holds no boolean: \"" + std::string(value) + "\"");
      }
      return;
    case XlsxCellType::kError:
      target.Put(row, column, CellValue::Error(trimmed), style);
      return;
    case XlsxCellType::kIsoDate: {
      double serial;
      bool time_only;
      if (!ParseIsoDateTime(trimmed, serial, time_only)) {
        fail_cell("holds no date: \"" + std::string(value) + "\"");
      }
      target.Put(row, column, CellValue::DateTime(serial, time_only), style);
      return;
    }
  }
}

}  // namespace kestrilo
