#include "engine/reading/xlsx/xlsx_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "engine/model/block_geometry.h"
#include "engine/model/excel_width.h"
#include "engine/model/workbook_cell_source.h"
#include "engine/reading/input_file.h"
#include "engine/reading/text_decoding.h"
#include "engine/reading/value_format.h"
#include "engine/reading/workbook_error.h"
#include "engine/reading/xlsx/xlsx_names.h"
#include "engine/reading/xlsx/xlsx_row_reader.h"
#include "engine/reading/xml/xml_tokenizer.h"
#include "engine/reading/zip/arriving_xml.h"
#include "engine/reading/zip/background_inflater.h"
#include "engine/reading/zip/package_part.h"
#include "engine/reading/zip/package_reader.h"
#include "engine/text/ascii_text.h"
#include "engine/text/iso_date.h"
#include "engine/text/number_text.h"

namespace kestrilo {

namespace {

using Token = XmlTokenizer::Token;

// The most cells we set aside room for before seeing them.
constexpr std::size_t kMaxReserve = 8 << 20;

struct SheetEntry {
  std::string name;
  std::string relationship_id;
  bool hidden = false;
};

// A cell's value type as the `t` attribute gives it.
enum class CellType : std::uint8_t {
  kNumber,
  kShared,
  kFormulaText,
  kInline,
  kBoolean,
  kError,
  kIsoDate,
};

CellType ParseCellType(std::string_view t) {
  if (t.size() == 1) {  // the common case, decided without comparisons
    switch (t[0]) {
      case 's':
        return CellType::kShared;
      case 'b':
        return CellType::kBoolean;
      case 'e':
        return CellType::kError;
      case 'd':
        return CellType::kIsoDate;
      default:
        return CellType::kNumber;
    }
  }
  if (t == "str") return CellType::kFormulaText;
  if (t == "inlineStr") return CellType::kInline;
  if (t == "b") return CellType::kBoolean;
  if (t == "e") return CellType::kError;
  if (t == "d") return CellType::kIsoDate;
  return CellType::kNumber;
}

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') ||
         (c >= 'A' && c <= 'F');
}

std::uint32_t HexValue(std::string_view hex) {
  std::uint32_t value = 0;
  std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
  return value;
}

bool IsEscapeAt(std::string_view text, std::size_t i) {
  return i + 7 <= text.size() && text[i] == '_' && text[i + 1] == 'x' &&
         IsHex(text[i + 2]) && IsHex(text[i + 3]) && IsHex(text[i + 4]) &&
         IsHex(text[i + 5]) && text[i + 6] == '_';
}

// Decodes the `_xHHHH_` escapes OOXML uses for characters XML cannot carry
// (control characters) in place; `_x005F_` escapes a literal underscore.
// UTF-16 surrogate pairs come as two escapes.
void DecodeEscapes(std::string& text) {
  if (text.find("_x") == std::string::npos) return;
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (!IsEscapeAt(text, i)) {
      out += text[i++];
      continue;
    }
    std::uint32_t code = HexValue(std::string_view(text).substr(i + 2, 4));
    i += 7;
    if (code >= 0xD800 && code <= 0xDBFF && IsEscapeAt(text, i)) {
      const std::uint32_t low =
          HexValue(std::string_view(text).substr(i + 2, 4));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        i += 7;
      }
    }
    if (code >= 0xD800 && code <= 0xDFFF) code = 0xFFFD;
    AppendUtf8(out, code);
  }
  text.swap(out);
}

// "B12" -> row 12, column 2. False for anything else. Every cell has one:
// a tight pass, letters of either case then at most eight digits.
bool ParseCellReference(std::string_view ref, std::int32_t& row,
                        std::int32_t& column) {
  const char* p = ref.data();
  const char* const end = p + ref.size();
  const char* const letters_end = ref.size() > 4 ? p + 4 : end;
  std::int32_t col = 0;
  for (; p != letters_end; ++p) {
    // Folds capitals to small letters; no other byte lands on those.
    const unsigned letter = (static_cast<unsigned char>(*p) | 0x20u) - 'a';
    if (letter >= 26) break;
    col = col * 26 + static_cast<std::int32_t>(letter) + 1;
  }
  if (p == ref.data() || col > kMaxColumns) return false;
  const char* const digits = p;
  const char* const digits_end = end - p > 8 ? p + 8 : end;
  std::int32_t r = 0;
  for (; p != digits_end; ++p) {
    const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
    if (digit > 9) return false;
    r = r * 10 + static_cast<std::int32_t>(digit);
  }
  // Row 0 does not exist: read as row 1 it would overwrite A1.
  if (p != end || p == digits || r < 1) return false;
  row = r;
  column = col;
  return true;
}

bool IsTrue(std::string_view value) { return value == "1" || value == "true"; }

// Excel's row height for Calibri 11, the default font.
constexpr float kExcelDefaultRowHeight = 15;
// The tallest row Excel allows, in points.
constexpr double kMaxRowHeight = 409.5;

// A row height in points; nothing for one that is missing or out of range.
std::optional<float> RowHeight(std::string_view text) {
  double height = 0;
  if (!ParseDouble(text, height) || height < 0 || height > kMaxRowHeight) {
    return std::nullopt;
  }
  return static_cast<float>(height);
}

// The position and content of the cell being read.
struct CellState {
  std::int32_t row = 0;
  std::int32_t column = 0;
  CellType type = CellType::kNumber;
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
    type = CellType::kNumber;
    style = 0;
    in_cell = true;
    has_value = has_formula = in_v = in_inline = in_t = false;
    phonetic_depth = 0;
    value.clear();
    inline_text.clear();
  }
};

// ParseCellReference for a cell of the row `cell` is in: when `ref` ends
// with the row's own digits, only its letters are read.
bool ParseReferenceInRow(std::string_view ref, CellState& cell) {
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

  void Put(std::int32_t row, std::int32_t column, const CellValue& value) {
    switch (value.kind) {
      case CellKind::kNumber:
        sheet_.SetNumber(row, column, value.number);
        return;
      case CellKind::kBoolean:
        sheet_.SetBoolean(row, column, value.number != 0);
        return;
      case CellKind::kDateTime:
        sheet_.SetDateTime(row, column, value.number, value.time_only);
        return;
      case CellKind::kText:
        sheet_.SetText(row, column, value.text);
        return;
      case CellKind::kError:
        sheet_.SetError(row, column, value.text);
        return;
      case CellKind::kEmpty:
        return;
    }
  }
  void PutPooled(std::int32_t row, std::int32_t column, std::uint32_t index) {
    sheet_.SetPooledText(row, column, index);
  }
  SheetLayout* layout() { return &sheet_.layout(); }
  static constexpr bool Paused() { return false; }

 private:
  Sheet& sheet_;
};

// Where the cells of <sheetData> go when the sheet is read row by row:
// the row being parsed, and the last complete one. Parsing pauses as a row
// is completed (by the first cell of a later row), so that the reader
// takes it before it is replaced.
class RowTarget {
 public:
  struct Cell {
    std::int32_t column;
    bool owns_text;
    std::size_t text_begin;
    CellValue value;
  };

  explicit RowTarget(const StringPool& strings) : strings_(strings) {}

  void Put(std::int32_t row, std::int32_t column, const CellValue& value) {
    Cell& cell = Add(row, column);
    cell.value = value;
    if (value.kind == CellKind::kText || value.kind == CellKind::kError) {
      cell.text_begin = building_texts_->size();
      building_texts_->append(value.text);
      cell.owns_text = true;
    }
  }
  void PutPooled(std::int32_t row, std::int32_t column, std::uint32_t index) {
    Add(row, column).value = CellValue::Text(strings_.Get(index));
  }
  static SheetLayout* layout() { return nullptr; }
  bool Paused() const { return fresh_; }

  // Makes the row being parsed the complete one; at the end of the rows.
  void Flush() {
    if (!building_.empty()) Complete();
  }
  // Lets parsing go on past the complete row.
  void Resume() { fresh_ = false; }
  // A complete row handed over: its cells, whose texts point into `texts`.
  struct Row {
    std::int32_t row = 0;
    std::vector<Cell> cells;
    std::unique_ptr<std::string> texts;
  };
  // Hands a copy of the complete row over, its texts in a string of the
  // copy's own; the row keeps its room for the next one.
  void TakeRow(Row& taken) const {
    taken.row = row_;
    taken.cells.assign(cells_.begin(), cells_.end());
    if (texts_->empty()) return;
    taken.texts = std::make_unique<std::string>(*texts_);
    for (Cell& cell : taken.cells) {
      if (cell.owns_text) {
        cell.value.text = std::string_view(*taken.texts)
                              .substr(cell.text_begin, cell.value.text.size());
      }
    }
  }
  std::int32_t row() const { return row_; }
  // The bounding box of every cell stored so far.
  std::optional<BlockGeometry> used() const {
    if (last_row_ == 0) return std::nullopt;
    return BlockGeometry{first_row_, last_row_ - first_row_ + 1, first_column_,
                         last_column_ - first_column_ + 1};
  }

 private:
  // More cells than a row can hold: values given twice are dropped early.
  static constexpr std::size_t kCompactAt = 2 * kMaxColumns;

  Cell& Add(std::int32_t row, std::int32_t column) {
    if (row != building_row_) {
      if (row < building_row_) throw XlsxRowReader::OutOfOrder{};
      if (!building_.empty()) Complete();
      building_row_ = row;
    }
    if (last_row_ == 0) first_row_ = row;
    last_row_ = row;
    first_column_ = std::min(first_column_, column);
    last_column_ = std::max(last_column_, column);
    if (!building_.empty() && column <= building_.back().column) {
      building_sorted_ = false;
    }
    if (building_.size() >= kCompactAt) Tidy(building_, *building_texts_);
    Cell& cell = building_.emplace_back();
    cell.column = column;
    cell.owns_text = false;
    return cell;
  }

  // Sorts the cells by column, the later of two values for one cell
  // winning as in the sheet model, and keeps only the texts still used.
  void Tidy(std::vector<Cell>& cells, std::string& texts) {
    std::stable_sort(
        cells.begin(), cells.end(),
        [](const Cell& a, const Cell& b) { return a.column < b.column; });
    std::size_t kept = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (kept > 0 && cells[kept - 1].column == cells[i].column) --kept;
      cells[kept++] = cells[i];
    }
    cells.resize(kept);
    std::string live;
    for (Cell& cell : cells) {
      if (!cell.owns_text) continue;
      const std::size_t begin = live.size();
      live.append(texts, cell.text_begin, cell.value.text.size());
      cell.text_begin = begin;
    }
    texts.swap(live);
  }

  void Complete() {
    if (!building_sorted_) Tidy(building_, *building_texts_);
    cells_.swap(building_);
    texts_.swap(building_texts_);
    building_.clear();
    building_texts_->clear();
    building_sorted_ = true;
    for (Cell& cell : cells_) {
      if (cell.owns_text) {
        cell.value.text = std::string_view(*texts_).substr(
            cell.text_begin, cell.value.text.size());
      }
    }
    row_ = building_row_;
    fresh_ = true;
  }

  const StringPool& strings_;
  // The texts are held through pointers: swapping the rows then leaves
  // every text where it was, short ones included.
  std::vector<Cell> building_;
  std::unique_ptr<std::string> building_texts_ =
      std::make_unique<std::string>();
  std::int32_t building_row_ = 0;
  bool building_sorted_ = true;
  std::vector<Cell> cells_;
  std::unique_ptr<std::string> texts_ = std::make_unique<std::string>();
  std::int32_t row_ = 0;
  bool fresh_ = false;
  std::int32_t first_row_ = 0;
  std::int32_t last_row_ = 0;
  std::int32_t first_column_ = kMaxColumns + 1;
  std::int32_t last_column_ = 0;
};

class XlsxReader {
 public:
  XlsxReader(const std::string& path, const ZipArchive& zip,
             std::string workbook_part)
      : path_(path),
        zip_(zip),
        workbook_part_(std::move(workbook_part)),
        workbook_(std::make_unique<Workbook>(path, "xlsx")) {}

  std::unique_ptr<Workbook> Read();

  // Reading one sheet row by row, for XlsxRowReader.
  std::optional<BlockGeometry> OpenRows(
      const std::function<int(const Workbook&)>& choose_sheet);
  const Workbook& workbook() const { return *workbook_; }
  int sheet_index() const { return sheet_index_; }
  // Parses on until the complete row is `row` or a later one, or to the
  // end of the rows.
  void ReadRowsTo(std::int32_t row);
  const RowTarget& rows() const { return *rows_; }
  RowTarget& rows() { return *rows_; }
  bool rows_ended() const { return rows_ended_; }

 private:
  [[noreturn]] void Fail(const std::string& reason) const {
    throw WorkbookError(path_, reason);
  }
  // Out of line, so that storing a cell sets nothing up for its failure.
  [[noreturn]] void FailCell(const std::string& part, std::int32_t row,
                             std::int32_t column,
                             const std::string& why) const {
    Fail("in the part " + part + ", the cell at row " + std::to_string(row) +
         ", column " + std::to_string(column) + " " + why);
  }
  // The sheets, their parts and the shared parts, from the workbook part
  // and its relationships.
  void ReadStructure();
  void ReadSharedParts();
  std::vector<SheetEntry> ReadWorkbookPart();
  /// Reads a small part whole, charged to the budget.
  std::string ReadPart(const std::string& part);
  void ReadSharedStrings(const std::string& part);
  void ParseSharedStrings(XmlTokenizer& xml, StringPool& pool);
  void ReadStyles(const std::string& part);
  /// The part of a sheet's relationship target; throws when it is absent.
  std::string SheetPart(const std::string& target,
                        const std::string& sheet_name) const;
  void ReadWorksheet(const std::string& part, BackgroundInflater& inflater,
                     Sheet& sheet);
  void ParseWorksheet(XmlTokenizer& xml, Sheet& sheet, const std::string& part);
  /// Parses <sheetData> from where `xml` is; true once its end is read,
  /// false when the target pauses.
  template <typename Target>
  bool ParseSheetData(XmlTokenizer& xml, CellState& cell, Target& target,
                      const std::string& part);
  /// Reads up to the start of <sheetData> (false when there is none) and
  /// the area <dimension> states.
  bool ReachSheetData(XmlTokenizer& xml, std::optional<BlockGeometry>& area);
  void StartRow(const XmlTokenizer& xml, CellState& cell, SheetLayout* layout,
                const std::string& part);
  void ReadSheetFormat(const XmlTokenizer& xml, SheetLayout& layout);
  void ReadColumns(const XmlTokenizer& xml, SheetLayout& layout);
  void ReadMergedArea(const XmlTokenizer& xml, SheetLayout& layout);
  void StartCell(const XmlTokenizer& xml, CellState& cell,
                 const std::string& part);
  // Stores the cell whose <v> holds `value`: a view of the part itself
  // for a cell read whole, spared a copy.
  template <typename Target>
  void StoreCell(CellState& cell, std::string_view value, Target& target,
                 const std::string& part);

  const std::string& path_;
  const ZipArchive& zip_;
  std::string workbook_part_;
  std::unique_ptr<Workbook> workbook_;
  bool date1904_ = false;
  int active_tab_ = 0;
  std::uint32_t shared_base_ = 0;
  std::uint32_t shared_count_ = 0;
  std::optional<float> default_row_height_;
  // The number format kind of each cell format (cellXfs index).
  std::vector<ValueFormat> xf_formats_;

  std::vector<SheetEntry> entries_;
  // The part of each sheet; empty for chart sheets.
  std::vector<std::string> parts_;
  std::string shared_strings_part_;
  std::string styles_part_;

  // The sheet read row by row.
  int sheet_index_ = 0;
  std::unique_ptr<ZipArchive> sheet_zip_;
  std::unique_ptr<BackgroundInflater> inflater_;
  std::unique_ptr<ArrivingXml> arriving_;
  std::unique_ptr<RowTarget> rows_;
  CellState row_cell_;
  bool rows_ended_ = true;
};

std::vector<SheetEntry> XlsxReader::ReadWorkbookPart() {
  const std::string xml_text = ReadPart(workbook_part_);
  std::vector<SheetEntry> sheets;
  try {
    XmlTokenizer xml(xml_text);
    bool active_seen = false;
    for (Token token = xml.Next(); token != Token::kEnd; token = xml.Next()) {
      // Extensions repeat some names (x15:workbookPr): only the main
      // elements count, at their fixed depths.
      if (token != Token::kStartTag || xml.depth() > 3) continue;
      const std::string_view name = xml.local_name();
      if (name == "workbookPr" && xml.depth() == 2) {
        const std::string_view value = xml.AttributeOr("date1904");
        date1904_ = value == "1" || value == "true";
      } else if (name == "workbookView" && xml.depth() == 3 && !active_seen) {
        active_seen = true;
        ParseInteger(xml.AttributeOr("activeTab", "0"), active_tab_);
      } else if (name == "sheet" && xml.depth() == 3) {
        SheetEntry entry;
        entry.name = xml.AttributeOr("name");
        const std::string_view state = xml.AttributeOr("state");
        entry.hidden = state == "hidden" || state == "veryHidden";
        // The relationship id is the namespaced "id" (r:id), not sheetId;
        // a bare "id" of careless writers serves when there is no other.
        for (const auto& attribute : xml.attributes()) {
          const bool prefixed =
              attribute.name.find(':') != std::string_view::npos;
          if (XmlTokenizer::LocalName(attribute.name) == "id" &&
              (prefixed || entry.relationship_id.empty())) {
            entry.relationship_id = attribute.value;
          }
        }
        sheets.push_back(std::move(entry));
      }
    }
  } catch (const XmlError& error) {
    PackagePart::FailXml(zip_, workbook_part_, error);
  }
  return sheets;
}

std::string XlsxReader::ReadPart(const std::string& part) {
  workbook_->budget().ChargePart(part, zip_.EntrySize(part).value_or(0));
  return PackagePart::ReadXml(zip_, part);
}

// Parsed while it is inflated, like the sheets: a crafted part of millions
// of empty items meets the budget of texts long before all of it is there.
void XlsxReader::ReadSharedStrings(const std::string& part) {
  workbook_->budget().ChargePart(part, zip_.EntrySize(part).value_or(0));
  StringPool& pool = workbook_->strings();
  shared_base_ = static_cast<std::uint32_t>(pool.size());
  try {
    BackgroundInflater inflater(zip_, part);
    ParseArrivingXml(inflater,
                     [&](XmlTokenizer& xml) { ParseSharedStrings(xml, pool); });
  } catch (const XmlError& error) {
    PackagePart::FailXml(zip_, part, error);
  }
  shared_count_ = static_cast<std::uint32_t>(pool.size()) - shared_base_;
}

void XlsxReader::ParseSharedStrings(XmlTokenizer& xml, StringPool& pool) {
  std::string text;
  int phonetic_depth = 0;  // inside <rPh>: reading aids, not the text
  bool in_item = false;
  bool in_t = false;
  for (Token token = xml.Next(); token != Token::kEnd; token = xml.Next()) {
    if (token == Token::kText) {
      if (in_t && phonetic_depth == 0) text.append(xml.text());
      continue;
    }
    const std::string_view name = xml.local_name();
    const bool start = token == Token::kStartTag;
    if (name == "t") {
      in_t = start && in_item;
    } else if (name == "rPh") {
      phonetic_depth += start ? 1 : -1;
    } else if (name == "si") {
      if (start) {
        in_item = true;
        text.clear();
      } else {
        in_item = false;
        DecodeEscapes(text);
        pool.Add(text);
      }
    }
  }
}

void XlsxReader::ReadStyles(const std::string& part) {
  const std::string xml_text = ReadPart(part);
  std::unordered_map<int, ValueFormat> custom;
  try {
    XmlTokenizer xml(xml_text);
    bool in_cell_xfs = false;
    for (Token token = xml.Next(); token != Token::kEnd; token = xml.Next()) {
      if (token == Token::kText) continue;
      const std::string_view name = xml.local_name();
      if (name == "cellXfs") {
        in_cell_xfs = token == Token::kStartTag;
        continue;
      }
      if (token != Token::kStartTag) continue;
      if (name == "numFmt") {
        int id = 0;
        if (ParseInteger(xml.AttributeOr("numFmtId"), id)) {
          const std::string_view code = xml.AttributeOr("formatCode");
          custom[id] = ValueFormatOfCode(code);
        }
      } else if (name == "xf" && in_cell_xfs) {
        int id = 0;
        ParseInteger(xml.AttributeOr("numFmtId", "0"), id);
        const auto it = custom.find(id);
        xf_formats_.push_back(it != custom.end() ? it->second
                                                 : ValueFormatOfBuiltin(id));
      }
    }
  } catch (const XmlError& error) {
    PackagePart::FailXml(zip_, part, error);
  }
}

// The sheet part is by far the largest: it is parsed while it is inflated.
void XlsxReader::ReadWorksheet(const std::string& part,
                               BackgroundInflater& inflater, Sheet& sheet) {
  // Each cell takes some 25 bytes or more of XML: room for them all at
  // once spares copying the cells while the sheet grows. Memory not used
  // is never touched, so a generous guess costs little.
  sheet.Reserve(std::min<std::size_t>(inflater.size() / 25, kMaxReserve));
  try {
    ParseArrivingXml(
        inflater, [&](XmlTokenizer& xml) { ParseWorksheet(xml, sheet, part); });
  } catch (const XmlError& error) {
    PackagePart::FailXml(zip_, part, error);
  }
}

void XlsxReader::ParseWorksheet(XmlTokenizer& xml, Sheet& sheet,
                                const std::string& part) {
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
      CellState cell;
      SheetTarget target(sheet);
      ParseSheetData(xml, cell, target, part);
    } else if (name == "sheetFormatPr") {
      ReadSheetFormat(xml, layout);
    }
  }
}

void XlsxReader::ReadSheetFormat(const XmlTokenizer& xml, SheetLayout& layout) {
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

void XlsxReader::ReadColumns(const XmlTokenizer& xml, SheetLayout& layout) {
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

void XlsxReader::ReadMergedArea(const XmlTokenizer& xml, SheetLayout& layout) {
  const std::string_view ref = xml.AttributeOr("ref");
  const std::size_t colon = ref.find(':');
  std::int32_t top = 0, left = 0, bottom = 0, right = 0;
  if (colon == std::string_view::npos ||
      !ParseCellReference(ref.substr(0, colon), top, left) ||
      !ParseCellReference(ref.substr(colon + 1), bottom, right) ||
      bottom > kMaxRows || top > bottom || left > right) {
    return;  // outside the worksheet or no area: nothing to draw
  }
  layout.AddMergedArea(
      BlockGeometry{top, bottom - top + 1, left, right - left + 1});
}

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

void XlsxReader::StartCell(const XmlTokenizer& xml, CellState& cell,
                           const std::string& part) {
  cell.StartNew();
  bool has_ref = false;
  for (const auto& attribute : xml.attributes()) {
    if (attribute.name.size() != 1) continue;
    switch (attribute.name[0]) {
      case 'r':
        if (!ParseReferenceInRow(attribute.value, cell)) {
          Fail("in the part " + part + ", a cell has a bad reference \"" +
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

void XlsxReader::StartRow(const XmlTokenizer& xml, CellState& cell,
                          SheetLayout* layout, const std::string& part) {
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
      Fail("in the part " + part + ", a row has a bad number \"" +
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
bool XlsxReader::ParseSheetData(XmlTokenizer& xml, CellState& cell,
                                Target& target, const std::string& part) {
  XmlTokenizer::FlatElement flat;
  for (;;) {
    // Most cells come whole in one step; the rest token by token.
    while (!cell.in_cell && xml.ReadFlatElement("c", flat)) {
      StartCell(xml, cell, part);
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
      StoreCell(cell, value, target, part);
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
          StartCell(xml, cell, part);
          break;
        case SheetTag::kRow:
          StartRow(xml, cell, target.layout(), part);
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
        if (cell.in_cell) StoreCell(cell, cell.value, target, part);
        cell.in_cell = false;
        if (target.Paused()) return false;
        break;
      default:
        if (name.size() == 9 && name == "sheetData") return true;
    }
  }
}

template <typename Target>
void XlsxReader::StoreCell(CellState& cell, std::string_view value,
                           Target& target, const std::string& part) {
  const std::int32_t row = cell.row;
  const std::int32_t column = cell.column;
  const auto fail_cell = [&part, row, column, this](const std::string& why) {
    FailCell(part, row, column, why);
  };
  if (row > kMaxRows || column > kMaxColumns) {
    fail_cell("lies outside the worksheet");
  }
  const std::string_view trimmed = TrimmedValue(value);
  // An empty cached text (the result of ="") shows nothing and reads as
  // empty; it is a value all the same.
  if (cell.type == CellType::kFormulaText && cell.has_value && value.empty()) {
    return;
  }
  if (!cell.has_value ||
      (cell.type != CellType::kInline && cell.type != CellType::kFormulaText &&
       trimmed.empty())) {
    // No cached value: a formula reads as empty, and a cell that is only
    // formatted is no cell at all.
    if (cell.has_formula) workbook_->CountFormulaWithoutValue();
    return;
  }
  switch (cell.type) {
    case CellType::kNumber: {
      double number;
      if (!ParseDouble(trimmed, number)) {
        fail_cell("holds no number: \"" + std::string(value) + "\"");
      }
      const ValueFormat format = cell.style < xf_formats_.size()
                                     ? xf_formats_[cell.style]
                                     : ValueFormat::kNumber;
      // Most numbers are plain: no call to make them so.
      target.Put(row, column,
                 format == ValueFormat::kNumber
                     ? CellValue::Number(number)
                     : FormattedNumber(number, format, date1904_));
      return;
    }
    case CellType::kShared: {
      std::uint32_t index = 0;
      if (!ParseInteger(trimmed, index) || index >= shared_count_) {
        fail_cell("refers to a missing shared string \"" + std::string(value) +
                  "\"");
      }
      target.PutPooled(row, column, shared_base_ + index);
      return;
    }
    case CellType::kFormulaText: {
      std::string text(value);
      DecodeEscapes(text);
      target.Put(row, column, CellValue::Text(text));
      return;
    }
    case CellType::kInline:
      if (cell.inline_text.empty()) {
        cell.inline_text = value;  // some writers use <v> for inline text
      }
      DecodeEscapes(cell.inline_text);
      target.Put(row, column, CellValue::Text(cell.inline_text));
      return;
    case CellType::kBoolean:
      if (trimmed == "1" || trimmed == "true") {
        target.Put(row, column, CellValue::Boolean(true));
      } else if (trimmed == "0" || trimmed == "false") {
        target.Put(row, column, CellValue::Boolean(false));
      } else {
        fail_cell("holds no boolean: \"" + std::string(value) + "\"");
      }
      return;
    case CellType::kError:
      target.Put(row, column, CellValue::Error(trimmed));
      return;
    case CellType::kIsoDate: {
      double serial;
      bool time_only;
      if (!ParseIsoDateTime(trimmed, serial, time_only)) {
        fail_cell("holds no date: \"" + std::string(value) + "\"");
      }
      target.Put(row, column, CellValue::DateTime(serial, time_only));
      return;
    }
  }
}

// Targets are URIs: a part named "sheet 1.xml" may be written
// "sheet%201.xml".
std::string PercentDecoded(const std::string& target) {
  std::string decoded;
  for (std::size_t i = 0; i < target.size(); ++i) {
    if (target[i] == '%' && i + 2 < target.size() && IsHex(target[i + 1]) &&
        IsHex(target[i + 2])) {
      decoded += static_cast<char>(
          HexValue(std::string_view(target).substr(i + 1, 2)));
      i += 2;
    } else {
      decoded += target[i];
    }
  }
  return decoded;
}

std::string XlsxReader::SheetPart(const std::string& target,
                                  const std::string& sheet_name) const {
  if (zip_.Contains(target)) return target;
  const std::string decoded = PercentDecoded(target);
  if (zip_.Contains(decoded)) return decoded;
  Fail("the part " + target + " of the sheet \"" + sheet_name +
       "\" is missing");
}

void XlsxReader::ReadStructure() {
  entries_ = ReadWorkbookPart();
  if (entries_.empty()) Fail("the workbook lists no sheets");
  std::unordered_map<std::string, PackageRelationship> by_id;
  for (PackageRelationship& relationship :
       PackagePart::Relationships(zip_, workbook_part_)) {
    if (relationship.external) continue;
    if (PackagePart::TypeIs(relationship.type, "sharedStrings")) {
      shared_strings_part_ = relationship.target;
    } else if (PackagePart::TypeIs(relationship.type, "styles")) {
      styles_part_ = relationship.target;
    }
    by_id.emplace(relationship.id, std::move(relationship));
  }
  // Chart sheets hold no cells and stay in the list as empty sheets, so
  // that sheet positions (and the active tab) match the file.
  for (const SheetEntry& entry : entries_) {
    const auto it = by_id.find(entry.relationship_id);
    if (it == by_id.end()) {
      Fail("the sheet \"" + entry.name + "\" has no part in the package");
    }
    parts_.push_back(PackagePart::TypeIs(it->second.type, "chartsheet")
                         ? std::string()
                         : SheetPart(it->second.target, entry.name));
  }
}

void XlsxReader::ReadSharedParts() {
  if (!shared_strings_part_.empty() && zip_.Contains(shared_strings_part_)) {
    ReadSharedStrings(shared_strings_part_);
  }
  if (!styles_part_.empty() && zip_.Contains(styles_part_)) {
    ReadStyles(styles_part_);
  }
}

std::unique_ptr<Workbook> XlsxReader::Read() {
  ReadStructure();
  // Sheets are inflated on a worker through a handle of their own, the
  // first one while the shared strings are read here.
  ZipArchive sheet_zip(path_);
  std::unique_ptr<BackgroundInflater> inflater;
  const auto first =
      std::find_if(parts_.begin(), parts_.end(),
                   [](const std::string& p) { return !p.empty(); });
  if (first != parts_.end()) {
    inflater = std::make_unique<BackgroundInflater>(sheet_zip, *first);
  }
  ReadSharedParts();
  // A part listed for several sheets (no application writes that) is read
  // once; the later sheets show the same cells, charged to the budget.
  std::unordered_map<std::string, std::size_t> read_parts;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    Sheet& sheet = workbook_->AddSheet(entries_[i].name, entries_[i].hidden);
    if (!parts_[i].empty()) {
      const auto [it, first_time] =
          read_parts.emplace(AsciiLowered(parts_[i]), i);
      if (!first_time) {
        sheet.CopyFrom(workbook_->sheet(static_cast<int>(it->second)));
      } else {
        if (!inflater) {
          inflater = std::make_unique<BackgroundInflater>(sheet_zip, parts_[i]);
        }
        workbook_->budget().ChargePart(parts_[i], inflater->size());
        ReadWorksheet(parts_[i], *inflater, sheet);
        inflater.reset();
      }
    }
    sheet.Finish();
  }
  ReadXlsxNames(zip_, workbook_part_, parts_, *workbook_);
  workbook_->set_active_sheet(active_tab_);
  return std::move(workbook_);
}

std::optional<BlockGeometry> XlsxReader::OpenRows(
    const std::function<int(const Workbook&)>& choose_sheet) {
  ReadStructure();
  for (const SheetEntry& entry : entries_) {
    workbook_->AddSheet(entry.name, entry.hidden).Finish();
  }
  workbook_->set_active_sheet(active_tab_);
  sheet_index_ = choose_sheet(*workbook_);
  const std::string& part = parts_.at(static_cast<std::size_t>(sheet_index_));
  // The sheet is inflated on a worker while the shared strings are read.
  if (!part.empty()) {
    sheet_zip_ = std::make_unique<ZipArchive>(path_);
    inflater_ = std::make_unique<BackgroundInflater>(*sheet_zip_, part);
    workbook_->budget().ChargePart(part, inflater_->size());
  }
  ReadSharedParts();
  rows_ = std::make_unique<RowTarget>(workbook_->strings());
  std::optional<BlockGeometry> area;
  if (part.empty()) return area;
  try {
    arriving_ = std::make_unique<ArrivingXml>(*inflater_);
    rows_ended_ = !ReachSheetData(arriving_->xml(), area);
  } catch (const XmlError& error) {
    PackagePart::FailXml(*sheet_zip_, part, error);
  }
  // A claim of far more cells than the part holds bytes would, if false,
  // cost far more XML than the file's own cells.
  constexpr std::int64_t kSmallArea = 1 << 20;
  if (area && static_cast<std::int64_t>(area->row_count) * area->column_count >
                  std::max<std::int64_t>(kSmallArea, static_cast<std::int64_t>(
                                                         inflater_->size()))) {
    area.reset();
  }
  return area;
}

bool XlsxReader::ReachSheetData(XmlTokenizer& xml,
                                std::optional<BlockGeometry>& area) {
  for (Token token = xml.Next(); token != Token::kEnd; token = xml.Next()) {
    if (token != Token::kStartTag || xml.depth() != 2) continue;
    const std::string_view name = xml.local_name();
    if (name == "dimension") {
      const std::string_view ref = xml.AttributeOr("ref");
      const std::size_t colon = ref.find(':');
      std::int32_t top = 0, left = 0, bottom = 0, right = 0;
      if (ParseCellReference(ref.substr(0, colon), top, left)) {
        bottom = top;
        right = left;
        if (colon == std::string_view::npos ||
            ParseCellReference(ref.substr(colon + 1), bottom, right)) {
          if (top <= bottom && left <= right) {
            area = BlockGeometry{top, bottom - top + 1, left, right - left + 1};
          }
        }
      }
    } else if (name == "sheetData") {
      if (xml.self_closing()) return false;
      // The rows are read once, front to back: the bytes behind them are
      // given back as they are passed, but the open elements stay open.
      xml.KeepOpenNames();
      return true;
    }
  }
  return false;
}

void XlsxReader::ReadRowsTo(std::int32_t row) {
  const std::string& part = parts_[static_cast<std::size_t>(sheet_index_)];
  try {
    while (!rows_ended_ && rows_->row() < row) {
      rows_->Resume();
      rows_ended_ = ParseSheetData(arriving_->xml(), row_cell_, *rows_, part);
      arriving_->DiscardRead();
    }
  } catch (const XmlError& error) {
    PackagePart::FailXml(*sheet_zip_, part, error);
  }
  if (rows_ended_) {
    rows_->Flush();
    arriving_.reset();
    inflater_.reset();
  }
}

}  // namespace

std::unique_ptr<Workbook> ReadXlsx(const std::string& path,
                                   const ZipArchive& zip,
                                   const std::string& workbook_part) {
  return XlsxReader(path, zip, workbook_part).Read();
}

// The rows of the sheet are parsed on a thread of their own and queued for
// the writer, so that parsing, writing and inflating share the cores.
struct XlsxRowReader::Parts {
  Parts(const std::string& path, std::string workbook_part)
      : path(path),
        zip(path),
        reader(this->path, zip, std::move(workbook_part)) {}
  ~Parts() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      cancelled = true;
      changed.notify_all();
    }
    if (parser.joinable()) parser.join();
  }

  // One queued row, with the bounding box of the cells read up to it; the
  // last entry is the end of the rows or the error that ended parsing.
  struct Entry {
    RowTarget::Row row;
    std::optional<BlockGeometry> used;
    bool end = false;
    std::exception_ptr error;
  };
  // Rows are handed over in batches of about this many cells, so that the
  // two threads meet seldom; the queue holds at most kQueuedCells.
  static constexpr std::size_t kBatchCells = 1 << 12;
  static constexpr std::size_t kQueuedCells = 1 << 16;
  struct Batch {
    std::vector<Entry> entries;
    std::size_t cells = 0;
  };

  void Parse();
  // Adds `entry` to the batch being made, and queues the batch when it is
  // full or `entry` ends the rows; false when cancelled.
  bool Push(Entry entry);
  // Takes the next entry; rethrows the parser's error.
  void Pop(Entry& entry);

  std::string path;
  ZipArchive zip;
  XlsxReader reader;
  std::optional<BlockGeometry> dimension;

  std::thread parser;
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<Batch> queue;
  std::size_t queued_cells = 0;
  bool cancelled = false;
  Batch making;  // the parser's
  Batch taken;   // the writer's
  std::size_t next_taken = 0;

  // The writer's side: the row being read and what is known so far.
  Entry current;
  bool finished = false;
  std::int32_t last_row = 0;
  std::int32_t last_column = 0;
  std::int32_t asked_row = 0;
  std::size_t cursor = 0;
  std::optional<BlockGeometry> expected_used;
  std::function<void(const std::optional<BlockGeometry>&)> check;
};

void XlsxRowReader::Parts::Parse() {
  Entry entry;
  try {
    std::int32_t taken = 0;
    for (;;) {
      reader.ReadRowsTo(taken + 1);
      if (reader.rows().row() > taken) {
        taken = reader.rows().row();
        reader.rows().TakeRow(entry.row);
        entry.used = reader.rows().used();
        if (!Push(std::move(entry))) return;
        entry = Entry();
      } else if (reader.rows_ended()) {
        break;
      }
    }
    entry.used = reader.rows().used();
    entry.end = true;
  } catch (...) {
    entry = Entry();
    entry.error = std::current_exception();
    entry.end = true;
  }
  Push(std::move(entry));
}

bool XlsxRowReader::Parts::Push(Entry entry) {
  const bool end = entry.end;
  making.cells += entry.row.cells.size() + 1;
  making.entries.push_back(std::move(entry));
  if (!end && making.cells < kBatchCells) return true;
  std::unique_lock<std::mutex> lock(mutex);
  changed.wait(lock, [&] {
    return cancelled || queue.empty() || queued_cells < kQueuedCells;
  });
  if (cancelled) return false;
  queued_cells += making.cells;
  // The next batch likely holds as many rows: room for them at once.
  const std::size_t rows = making.entries.size();
  queue.push_back(std::move(making));
  making = Batch();
  making.entries.reserve(rows);
  changed.notify_all();
  return true;
}

void XlsxRowReader::Parts::Pop(Entry& entry) {
  if (next_taken == taken.entries.size()) {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [&] { return !queue.empty(); });
    taken = std::move(queue.front());
    queue.pop_front();
    queued_cells -= taken.cells;
    next_taken = 0;
    changed.notify_all();
  }
  entry = std::move(taken.entries[next_taken++]);
  if (entry.error) std::rethrow_exception(entry.error);
}

std::unique_ptr<XlsxRowReader> XlsxRowReader::Open(
    const std::string& path,
    const std::function<int(const Workbook&)>& choose_sheet) {
  {
    // Looked at through InputFile, which checks the kind of file before
    // opening it: opening a named pipe would wait for a writer. Anything but
    // a regular zip file takes the other road, which refuses it by name.
    InputFile file(path, /*text_name=*/false);
    const std::string_view head = file.Head(4);
    if (!file.regular() || head != std::string_view("PK\x03\x04", 4)) {
      return nullptr;
    }
  }
  std::unique_ptr<XlsxRowReader> rows(new XlsxRowReader);
  {
    ZipArchive zip(path);
    const std::string part = SpreadsheetMainPart(zip);
    if (part.empty()) return nullptr;
    rows->parts_ = std::make_unique<Parts>(path, part);
  }
  Parts& parts = *rows->parts_;
  parts.dimension = parts.reader.OpenRows(choose_sheet);
  parts.parser = std::thread([&parts] { parts.Parse(); });
  return rows;
}

XlsxRowReader::XlsxRowReader() = default;
XlsxRowReader::~XlsxRowReader() = default;

const Workbook& XlsxRowReader::workbook() const {
  return parts_->reader.workbook();
}

int XlsxRowReader::sheet_index() const { return parts_->reader.sheet_index(); }

std::optional<BlockGeometry> XlsxRowReader::dimension() const {
  return parts_->dimension;
}

void XlsxRowReader::FinishAtCell(
    std::int32_t row, std::int32_t column,
    std::function<void(const std::optional<BlockGeometry>&)> check) {
  parts_->last_row = row;
  parts_->last_column = column;
  parts_->check = std::move(check);
}

BlockGeometry XlsxRowReader::Geometry(std::string_view address) const {
  return WorkbookCellSource(workbook(), sheet_index()).Geometry(address);
}

CellValue XlsxRowReader::Value(std::int32_t row, std::int32_t column) const {
  Parts& parts = *parts_;
  if (row != parts.asked_row) {
    if (row < parts.asked_row) {
      throw std::logic_error(
          "rows read row by row were asked for out of order");
    }
    parts.asked_row = row;
    while (!parts.current.end && parts.current.row.row < row) {
      parts.Pop(parts.current);
    }
    parts.cursor = 0;
    if (parts.expected_used) CheckUsedRange();
  }
  if (row == parts.last_row && column == parts.last_column) {
    // The last cell: the sheet is checked to its end before the writer
    // completes its text.
    const CellValue value = ValueInRow(column);
    Finish();
    return value;
  }
  return ValueInRow(column);
}

CellValue XlsxRowReader::ValueInRow(std::int32_t column) const {
  Parts& parts = *parts_;
  if (parts.current.row.row != parts.asked_row) return CellValue::Empty();
  // The writer asks for the columns of a row in order: a cursor finds
  // them without a search.
  const auto& cells = parts.current.row.cells;
  if (parts.cursor < cells.size() && cells[parts.cursor].column > column) {
    parts.cursor = 0;
  }
  while (parts.cursor < cells.size() && cells[parts.cursor].column < column) {
    ++parts.cursor;
  }
  if (parts.cursor == cells.size() || cells[parts.cursor].column != column) {
    return CellValue::Empty();
  }
  return cells[parts.cursor].value;
}

void XlsxRowReader::ExpectUsedRange(const BlockGeometry& used) {
  parts_->expected_used = used;
}

void XlsxRowReader::CheckUsedRange() const {
  const Parts& parts = *parts_;
  const BlockGeometry& expected = *parts.expected_used;
  const std::optional<BlockGeometry>& used = parts.current.used;
  // The rows read so far have cells; the first of them starts the used
  // range, and none may lie outside it.
  if (used && (used->first_row != expected.first_row ||
               used->first_column < expected.first_column ||
               used->last_column() > expected.last_column() ||
               used->last_row() > expected.last_row())) {
    throw UsedRangeDiffers{};
  }
  if (parts.current.end && used != expected) throw UsedRangeDiffers{};
}

std::optional<BlockGeometry> XlsxRowReader::Finish() const {
  Parts& parts = *parts_;
  // The rest is read into a row of its own: the writer may still hold
  // texts of the current one.
  Parts::Entry rest;
  if (!parts.current.end) {
    do {
      parts.Pop(rest);
    } while (!rest.end);
    parts.current.end = true;
    parts.current.used = rest.used;
  }
  if (parts.parser.joinable()) parts.parser.join();
  if (!parts.finished) {
    parts.finished = true;
    if (parts.check) parts.check(parts.current.used);
  }
  return parts.current.used;
}

}  // namespace kestrilo
