#include "engine/reading/ods/ods_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/reading/ods/ods_names.h"
#include "engine/reading/ods/repeated_texts.h"
#include "engine/reading/workbook_error.h"
#include "engine/reading/xml/xml_error.h"
#include "engine/reading/xml/xml_tokenizer.h"
#include "engine/reading/zip/arriving_xml.h"
#include "engine/reading/zip/background_inflater.h"
#include "engine/reading/zip/package_part.h"
#include "engine/text/ascii_text.h"
#include "engine/text/iso_date.h"
#include "engine/text/number_text.h"

namespace kestrilo {

namespace {

using Token = XmlTokenizer::Token;

// Repeat counts let a few bytes claim billions of cells. Empty repeats cost
// nothing; a repeated value is stored once per cell, each charged to the
// workbook's budget. Positions add up repeats without ever overflowing:
// they stop far beyond the sheet, where nothing more is stored.
constexpr std::int64_t kFarBeyond = std::int64_t{1} << 50;
// LibreOffice writes some 140 bytes of XML per cell, other writers more.
// Each sheet gets room for as many cells as all of content.xml could hold
// at this size: reserved memory that is never used is never touched.
constexpr std::size_t kBytesPerCell = 100;
constexpr std::size_t kMaxReserve = 8u << 20;
// text:s expands a few bytes into many spaces; one cell's text is bounded.
constexpr std::size_t kMaxCellText = 16u << 20;
// content.xml is as large as 150 bytes a cell: the rows already read are
// given back to the system in steps of this size, so that only the part
// still being inflated stays in memory, not the whole part.
constexpr std::size_t kReleaseStep = 1u << 20;
// A byte-order mark the tokenizer does not see puts the bytes of the
// document this much further into the inflater's buffer.
constexpr std::size_t kByteOrderMark = 3;

// ---------------------------------------------------------------- values

// A repeat attribute: at least 1, and small enough that sums of repeats
// cannot overflow; the callers cap them at the sheet's limits.
std::int64_t RepeatCount(std::string_view text) {
  constexpr std::int64_t kMost = std::int64_t{1} << 40;
  std::int64_t value = 1;
  if (text.empty() || !ParseInteger(text, value) || value < 1) return 1;
  return std::min(value, kMost);
}

// A length of the style properties ("2.258cm", "0.5in", "12pt") in points;
// nothing for one without a known unit, negative, or absurdly large.
std::optional<float> LengthInPoints(std::string_view text) {
  static constexpr struct {
    std::string_view unit;
    double points;
  } kUnits[] = {{"cm", 72 / 2.54}, {"mm", 72 / 25.4}, {"in", 72},
                {"pt", 1},         {"pc", 12},        {"px", 0.75}};
  constexpr double kMostPoints = 1e6;
  for (const auto& [unit, points] : kUnits) {
    if (!text.ends_with(unit)) continue;
    double value = 0;
    if (!ParseDouble(text.substr(0, text.size() - unit.size()), value) ||
        value < 0 || value * points > kMostPoints) {
      return std::nullopt;
    }
    return static_cast<float>(value * points);
  }
  return std::nullopt;
}

// office:date-value: a date, perhaps with a time; gives the serial.
bool ParseDateValue(std::string_view text, double& serial) {
  bool time_only = false;
  return ParseIsoDateTime(text, serial, time_only) && !time_only;
}

// office:time-value, an ISO 8601 duration such as "PT13H45M30S",
// "PT36H00M00S" or "-P1DT2H". Gives the duration in days.
bool ParseTimeValue(std::string_view text, double& days) {
  std::size_t pos = 0;
  double sign = 1;
  if (pos < text.size() && text[pos] == '-') {
    sign = -1;
    ++pos;
  }
  if (pos >= text.size() || text[pos++] != 'P') return false;
  double total = 0;
  bool in_time = false, any = false;
  while (pos < text.size()) {
    if (text[pos] == 'T') {
      in_time = true;
      ++pos;
      continue;
    }
    const std::size_t start = pos;
    while (pos < text.size() &&
           ((text[pos] >= '0' && text[pos] <= '9') || text[pos] == '.')) {
      ++pos;
    }
    if (pos == start || pos >= text.size()) return false;
    double number;
    if (!ParseDouble(text.substr(start, pos - start), number)) return false;
    const char unit = text[pos++];
    if (unit == 'D' && !in_time) {
      total += number;
    } else if (unit == 'H' && in_time) {
      total += number / 24;
    } else if (unit == 'M' && in_time) {
      total += number / 1440;
    } else if (unit == 'S' && in_time) {
      total += number / 86400;
    } else {
      return false;
    }
    any = true;
  }
  days = sign * total;
  return any;
}

// "of:=TRUE()" or "of:=FALSE()" (any namespace prefix, any case): the
// formulas whose result LibreOffice shows, and means, as a truth value.
bool IsBooleanFormula(std::string_view formula) {
  const std::size_t equals = formula.find('=');
  if (equals == std::string_view::npos || formula.size() - equals > 16) {
    return false;
  }
  std::string bare;
  for (const char c : formula.substr(equals + 1)) {
    if (c != ' ') bare += c;
  }
  return EqualsIgnoringAsciiCase(bare, "TRUE()") ||
         EqualsIgnoringAsciiCase(bare, "FALSE()");
}

// The codes spreadsheet applications show for error results.
bool IsErrorCode(std::string_view text) {
  static constexpr std::string_view kCodes[] = {
      "#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"};
  for (std::string_view code : kCodes) {
    if (text == code) return true;
  }
  if (text.size() == 7 && text.substr(0, 4) == "Err:") {
    return text[4] >= '0' && text[4] <= '9' && text[5] >= '0' &&
           text[5] <= '9' && text[6] >= '0' && text[6] <= '9';
  }
  return false;
}

// ---------------------------------------------------------------- content

// True when the qualified `name` is `local` with any namespace prefix.
// Cheaper than splitting off the prefix: this runs for every tag and
// attribute of every cell.
inline bool Is(std::string_view name, std::string_view local) {
  return name.size() >= local.size() && name.ends_with(local) &&
         (name.size() == local.size() ||
          name[name.size() - local.size() - 1] == ':');
}

// What one table:table-cell says about its value, gathered from its
// attributes and, where needed, the text of its paragraphs.
// Attribute values are views that the next tag may overwrite, so they are
// resolved while the cell's start tag is current.
enum class ValueType : std::uint8_t {
  kNone,  // no office:value-type, or "void"
  kNumber,
  kDate,
  kTime,
  kBoolean,
  kString,
  kOther,
};

struct CellAttributes {
  ValueType type = ValueType::kNone;
  bool error = false;   // calcext:value-type="error"
  bool parsed = false;  // the value attribute of the type could be read
  double number = 0;
  bool has_string_value = false;
  bool has_formula = false;
  // Shown as TRUE or FALSE: a boolean number style, or the formula TRUE()
  // or FALSE(), whose result LibreOffice saves as the number 1 or 0.
  bool shown_as_boolean = false;
  bool has_style = false;
  std::int64_t columns = 1;
  std::int64_t columns_spanned = 1;
  std::int64_t rows_spanned = 1;
};

// A cell of the current row, kept until the row ends so that repeated rows
// store their values once per row, in order.
struct PendingCell {
  std::int32_t column;
  std::int32_t count;
  CellKind kind;
  bool time_only;
  double number;
  std::uint32_t text_index;
};

// Reads content.xml in one pass: automatic table styles (hidden sheets),
// then every table of office:spreadsheet.
class OdsContentReader {
 public:
  // `inflater` holds content.xml, whose size estimates the cells of a
  // sheet and whose rows already read it gives back.
  OdsContentReader(const std::string& path, Workbook& workbook,
                   XmlTokenizer& xml, BackgroundInflater& inflater)
      : path_(path),
        workbook_(workbook),
        xml_(xml),
        inflater_(inflater),
        reserve_(std::min(inflater.size() / kBytesPerCell, kMaxReserve)),
        texts_(workbook.strings()) {}

  void Read() {
    XmlTokenizer::FlatElement flat;
    for (;;) {
      if (row_depth_ != 0 && cell_depth_ == 0 && xml_.depth() == row_depth_ &&
          (xml_.ReadFlatElement("table-cell", flat) ||
           xml_.ReadFlatElement("covered-table-cell", flat))) {
        FlatCell(flat);
        continue;
      }
      const Token token = xml_.Next();
      if (token == Token::kEnd) break;
      if (token == Token::kStartTag) {
        Start();
      } else if (token == Token::kEndTag) {
        End();
      } else if (collecting_ && paragraph_depth_ != 0 && skip_depth_ == 0) {
        AppendText(xml_.text());
      }
    }
    if (!saw_spreadsheet_) {
      throw WorkbookError(path_,
                          "content.xml holds no spreadsheet (no "
                          "office:spreadsheet element)");
    }
    names_.AddToWorkbook();
  }

 private:
  void Start() {
    const std::string_view name = xml_.name();
    const std::size_t depth = xml_.depth();
    KeepName(name, depth);
    if (cell_depth_ != 0) {
      StartInsideCell(name, depth);
      return;
    }
    if (sheet_ == nullptr) {
      if (Is(name, "spreadsheet")) {
        saw_spreadsheet_ = true;
        spreadsheet_depth_ = depth;
      } else if (Is(name, "table") && spreadsheet_depth_ != 0 &&
                 depth == spreadsheet_depth_ + 1) {
        StartTable();
      } else if (!names_.Take(xml_, -1)) {
        StartStyleElement(name);
      }
      return;
    }
    if (row_depth_ != 0 && depth == row_depth_ + 1 &&
        (Is(name, "table-cell") || Is(name, "covered-table-cell"))) {
      StartCell(depth);
    } else if (Is(name, "table-row")) {
      StartRow(depth);
    } else if (Is(name, "table-column")) {
      StartColumn();
    } else {
      names_.Take(xml_, workbook_.sheet_count() - 1);
    }
  }

  // Automatic styles: which tables are hidden, and the widths and heights
  // of column and row styles.
  void StartStyleElement(std::string_view name) {
    if (Is(name, "style")) {
      style_family_ = xml_.AttributeOr("family");  // copied: views are brief
      style_name_ = xml_.AttributeOr("name");
      const std::string_view data_style = xml_.AttributeOr("data-style-name");
      if (style_family_ == "table-cell" && !data_style.empty()) {
        cell_data_styles_.emplace(style_name_, data_style);
      }
    } else if (Is(name, "table-properties") && style_family_ == "table" &&
               xml_.AttributeOr("display") == "false") {
      hidden_styles_.emplace(style_name_);
    } else if (Is(name, "boolean-style")) {
      boolean_data_styles_.emplace(xml_.AttributeOr("name"));
    } else if (Is(name, "table-column-properties") &&
               style_family_ == "table-column") {
      if (auto width = LengthInPoints(xml_.AttributeOr("column-width"))) {
        column_widths_[style_name_] = *width;
      }
    } else if (Is(name, "table-row-properties") &&
               style_family_ == "table-row") {
      if (auto height = LengthInPoints(xml_.AttributeOr("row-height"))) {
        row_heights_[style_name_] = *height;
      }
    }
  }

  // The size and visibility of a column or row from its element's
  // attributes; false when it states neither.
  bool ReadSpan(const std::unordered_map<std::string, float>& sizes,
                SheetLayout::Span& span) {
    const std::string_view style = xml_.AttributeOr("style-name");
    if (!style.empty()) {
      const auto it = sizes.find(std::string(style));
      if (it != sizes.end()) span.size = it->second;
    }
    const std::string_view visibility = xml_.AttributeOr("visibility");
    span.hidden = visibility == "collapse" || visibility == "filter";
    return span.size || span.hidden;
  }

  // A column (or run of repeated columns) of the current table.
  void StartColumn() {
    const std::int64_t first = next_layout_column_;
    const std::int64_t repeat =
        RepeatCount(xml_.AttributeOr("number-columns-repeated"));
    next_layout_column_ =
        std::min<std::int64_t>(first + repeat, kMaxColumns + 1);
    if (first > kMaxColumns) return;
    const std::string_view cell_style =
        xml_.AttributeOr("default-cell-style-name");
    if (!cell_style.empty() && !boolean_cell_styles_.empty() &&
        boolean_cell_styles_.count(std::string(cell_style)) != 0) {
      boolean_columns_.push_back({first, next_layout_column_ - 1});
    }
    SheetLayout::Span span;
    if (!ReadSpan(column_widths_, span)) return;
    span.first = static_cast<std::int32_t>(first);
    span.last = static_cast<std::int32_t>(next_layout_column_ - 1);
    sheet_->layout().AddColumns(span);
  }

  void AddRowSpan() {
    SheetLayout::Span span;
    if (next_row_ > kMaxRows || !ReadSpan(row_heights_, span)) return;
    span.first = static_cast<std::int32_t>(next_row_);
    span.last = static_cast<std::int32_t>(
        std::min<std::int64_t>(next_row_ + row_repeat_ - 1, kMaxRows));
    sheet_->layout().AddRows(span);
  }

  // A merged area starts at the cell just read. Repeated cells or rows
  // with spans would each start one; the first stands for them all, so
  // that the areas stay as many as the elements of the file.
  void AddMergedArea(std::int64_t column) {
    const CellAttributes& a = attributes_;
    if ((a.columns_spanned < 2 && a.rows_spanned < 2) || next_row_ > kMaxRows ||
        column > kMaxColumns) {
      return;
    }
    const std::int64_t rows =
        std::min<std::int64_t>(a.rows_spanned, kMaxRows - next_row_ + 1);
    const std::int64_t columns =
        std::min<std::int64_t>(a.columns_spanned, kMaxColumns - column + 1);
    sheet_->layout().AddMergedArea(BlockGeometry{
        static_cast<std::int32_t>(next_row_), static_cast<std::int32_t>(rows),
        static_cast<std::int32_t>(column), static_cast<std::int32_t>(columns)});
  }
  void End() {
    const std::size_t depth = xml_.depth() + 1;  // of the closed element
    if (depth <= kept_depth_) kept_depth_ = depth - 1;
    if (cell_depth_ != 0) {
      if (depth == cell_depth_) {
        EndCell();
      } else if (depth == skip_depth_) {
        skip_depth_ = 0;
      } else if (depth == paragraph_depth_) {
        paragraph_depth_ = 0;
      }
      return;
    }
    if (sheet_ == nullptr) return;
    if (depth == row_depth_) {
      EndRow();
    } else if (depth == table_depth_) {
      sheet_->Finish();
      sheet_ = nullptr;
      table_depth_ = 0;
    }
  }

  // The cell styles showing numbers as TRUE or FALSE, known once all the
  // automatic styles, which come before the tables, are read.
  void FindBooleanCellStyles() {
    for (const auto& [cell_style, data_style] : cell_data_styles_) {
      if (boolean_data_styles_.count(data_style) != 0) {
        boolean_cell_styles_.insert(cell_style);
      }
    }
    cell_data_styles_.clear();
  }

  // Whether the column's default cell style, which its cells without a
  // style of their own take, shows numbers as TRUE or FALSE.
  bool InBooleanColumn(std::int64_t column) const {
    const auto it = std::upper_bound(
        boolean_columns_.begin(), boolean_columns_.end(), column,
        [](std::int64_t c, const ColumnRun& run) { return c < run.first; });
    return it != boolean_columns_.begin() && column <= std::prev(it)->last;
  }

  void StartTable() {
    if (workbook_.sheet_count() == 0) FindBooleanCellStyles();
    boolean_columns_.clear();
    const std::string_view style = xml_.AttributeOr("style-name");
    const bool hidden = hidden_styles_.count(std::string(style)) != 0;
    std::string name(xml_.AttributeOr("name"));
    // A table must have a name; a broken writer's nameless one gets the
    // name spreadsheet applications give a new sheet.
    if (name.empty())
      name = "Sheet" + std::to_string(workbook_.sheet_count() + 1);
    sheet_ = &workbook_.AddSheet(std::move(name), hidden);
    // Room for the cells at once spares copying them while the sheet grows;
    // memory reserved but not used is never touched.
    sheet_->Reserve(reserve_);
    table_depth_ = xml_.depth();
    next_row_ = 1;
    next_layout_column_ = 1;
  }

  // The tokenizer keeps a view of the name of every element still open, to
  // match its end tag. The names of the elements open from the root down
  // to the first row stay in memory; those of rows and what they hold are
  // needed only until the row ends.
  void KeepName(std::string_view name, std::size_t depth) {
    if (depth != kept_depth_ + 1 || Is(name, "table-row")) return;
    kept_depth_ = depth;
    keep_until_ =
        std::max(keep_until_, xml_.offset() + 1 + name.size() + kByteOrderMark);
  }

  // At the start of a row whose enclosing elements are all kept, nothing
  // before it is needed any more but their names.
  void ReleaseReadBytes() {
    const std::size_t horizon = xml_.offset();
    if (xml_.depth() != kept_depth_ + 1 ||
        horizon < released_until_ + kReleaseStep) {
      return;
    }
    inflater_.Release(std::max(released_until_, keep_until_), horizon);
    released_until_ = horizon;
  }

  void StartRow(std::size_t depth) {
    ReleaseReadBytes();
    row_depth_ = depth;
    row_repeat_ = RepeatCount(xml_.AttributeOr("number-rows-repeated"));
    AddRowSpan();
    next_column_ = 1;
    pending_.clear();
  }

  void EndRow() {
    const std::int64_t first = next_row_;
    const std::int64_t last = first + row_repeat_ - 1;
    if (!pending_.empty()) {
      if (last > kMaxRows) {
        RefuseOutside(std::max<std::int64_t>(first, kMaxRows + 1),
                      pending_.front().column);
      }
      StoreRows(first, last);
    }
    next_row_ = std::min(last + 1, kFarBeyond);
    row_depth_ = 0;
  }

  // Values beyond the last row or column would be lost: the file is
  // refused, as the other readers refuse such cells.
  [[noreturn]] void RefuseOutside(std::int64_t row, std::int64_t column) {
    throw WorkbookError(path_, "the cell at row " + std::to_string(row) +
                                   ", column " + std::to_string(column) +
                                   " of the sheet \"" + sheet_->name() +
                                   "\" lies outside the worksheet");
  }

  void StoreRows(std::int64_t first, std::int64_t last) {
    std::uint64_t per_row = 0;
    for (const PendingCell& cell : pending_) per_row += cell.count;
    workbook_.budget().CheckCells(per_row *
                                  static_cast<std::uint64_t>(last - first + 1));
    for (std::int64_t row = first; row <= last; ++row) {
      const auto r = static_cast<std::int32_t>(row);
      for (const PendingCell& cell : pending_) {
        for (std::int32_t c = cell.column; c < cell.column + cell.count; ++c) {
          Store(r, c, cell);
        }
      }
    }
  }

  void Store(std::int32_t row, std::int32_t column, const PendingCell& cell) {
    switch (cell.kind) {
      case CellKind::kNumber:
        sheet_->SetNumber(row, column, cell.number);
        break;
      case CellKind::kText:
        sheet_->SetPooledText(row, column, cell.text_index);
        break;
      case CellKind::kBoolean:
        sheet_->SetBoolean(row, column, cell.number != 0);
        break;
      case CellKind::kDateTime:
        sheet_->SetDateTime(row, column, cell.number, cell.time_only);
        break;
      case CellKind::kError:
        sheet_->SetError(row, column, workbook_.strings().Get(cell.text_index));
        break;
      case CellKind::kEmpty:
        break;
    }
  }

  void StartCell(std::size_t depth) {
    ReadCellAttributes();
    cell_depth_ = depth;
    paragraph_count_ = 0;
    paragraph_depth_ = 0;
    skip_depth_ = 0;
    text_.clear();
    // The text is needed for strings without office:string-value, errors
    // and cells without a value type; numbers need it only to recognise
    // error results stored as numbers.
    collecting_ = true;
  }

  // A cell read whole by the tokenizer: attributes and at most one child
  // with plain text, the commonest shape by far.
  void FlatCell(const XmlTokenizer::FlatElement& flat) {
    ReadCellAttributes();
    text_.clear();
    if (Is(flat.child, "p") || Is(flat.child, "h")) AppendText(flat.text);
    FinishCell();
  }

  void ReadCellAttributes() {
    attributes_ = CellAttributes();
    std::string_view type, value, date_value, time_value, boolean_value;
    for (const XmlTokenizer::Attribute& attribute : xml_.attributes()) {
      const std::string_view name = attribute.name;
      if (Is(name, "value-type")) {
        // calcext:value-type tells errors apart; office:value-type is the
        // standard one.
        if (name.starts_with("calcext:")) {
          attributes_.error = attribute.value == "error";
        } else {
          type = attribute.value;
        }
      } else if (Is(name, "value")) {
        value = attribute.value;
      } else if (Is(name, "date-value")) {
        date_value = attribute.value;
      } else if (Is(name, "time-value")) {
        time_value = attribute.value;
      } else if (Is(name, "boolean-value")) {
        boolean_value = attribute.value;
      } else if (Is(name, "string-value")) {
        attributes_.has_string_value = true;
        string_value_ = attribute.value;
      } else if (Is(name, "formula")) {
        attributes_.has_formula = true;
        if (IsBooleanFormula(attribute.value)) {
          attributes_.shown_as_boolean = true;
        }
      } else if (Is(name, "style-name")) {
        attributes_.has_style = true;
        if (!boolean_cell_styles_.empty() &&
            boolean_cell_styles_.count(std::string(attribute.value)) != 0) {
          attributes_.shown_as_boolean = true;
        }
      } else if (Is(name, "number-columns-repeated")) {
        attributes_.columns = RepeatCount(attribute.value);
      } else if (Is(name, "number-columns-spanned")) {
        attributes_.columns_spanned = RepeatCount(attribute.value);
      } else if (Is(name, "number-rows-spanned")) {
        attributes_.rows_spanned = RepeatCount(attribute.value);
      }
    }
    CellAttributes& a = attributes_;
    if (type.empty() || type == "void") {
      a.type = ValueType::kNone;
    } else if (type == "float" || type == "percentage" || type == "currency") {
      a.type = ValueType::kNumber;
      a.parsed = ParseDouble(value, a.number);
    } else if (type == "date") {
      a.type = ValueType::kDate;
      a.parsed = ParseDateValue(date_value, a.number);
    } else if (type == "time") {
      a.type = ValueType::kTime;
      a.parsed = ParseTimeValue(time_value, a.number);
    } else if (type == "boolean") {
      a.type = ValueType::kBoolean;
      a.number = boolean_value == "true" || boolean_value == "1" ||
                 boolean_value == "TRUE";
    } else if (type == "string") {
      a.type = ValueType::kString;
    } else {
      a.type = ValueType::kOther;
    }
  }

  void StartInsideCell(std::string_view name, std::size_t depth) {
    if (skip_depth_ != 0) return;
    if (depth == cell_depth_ + 1) {
      if (Is(name, "p") || Is(name, "h")) {
        if (paragraph_count_++ > 0) text_ += '\n';
        paragraph_depth_ = depth;
      } else {
        skip_depth_ = depth;  // annotations, frames, nested tables
      }
      return;
    }
    if (paragraph_depth_ == 0) return;
    const std::string_view local = XmlTokenizer::LocalName(name);
    if (local == "s") {
      std::int64_t count = 1;
      const std::string_view c = xml_.AttributeOr("c");
      if (!c.empty() && (!ParseInteger(c, count) || count < 1)) count = 1;
      AppendSpaces(count);
    } else if (local == "tab") {
      AppendLiteral('\t');
    } else if (local == "line-break") {
      AppendLiteral('\n');
    } else if (local == "annotation" || local == "note" ||
               local.starts_with("bookmark") || local.starts_with("change") ||
               local == "soft-page-break" || local == "reference-mark" ||
               local == "ruby-text") {
      skip_depth_ = depth;
    }
  }

  // Paragraph text is taken as stored. ODF would collapse runs of white
  // space, but LibreOffice writes (and reads back) literal runs of spaces in
  // cell text, so collapsing would change the values its users see.
  void AppendText(std::string_view text) {
    text_ += text;
    CheckTextSize();
  }

  void AppendLiteral(char c) { text_ += c; }

  void AppendSpaces(std::int64_t count) {
    count = std::min<std::int64_t>(count, kMaxCellText);
    workbook_.budget().ChargeRepeatedText(static_cast<std::uint64_t>(count));
    text_.append(static_cast<std::size_t>(count), ' ');
    CheckTextSize();
  }

  void CheckTextSize() {
    if (text_.size() > kMaxCellText) {
      throw WorkbookError(path_, "a cell of the sheet \"" + sheet_->name() +
                                     "\" holds more than 16 MB of text");
    }
  }

  void EndCell() {
    cell_depth_ = 0;
    collecting_ = false;
    FinishCell();
  }

  void FinishCell() {
    const std::int64_t first = next_column_;
    const std::int64_t last = first + attributes_.columns - 1;
    next_column_ = std::min(last + 1, kFarBeyond);
    AddMergedArea(first);
    if (!attributes_.has_style && !boolean_columns_.empty() &&
        InBooleanColumn(first)) {
      attributes_.shown_as_boolean = true;
    }
    PendingCell cell{0, 0, CellKind::kEmpty, false, 0.0, 0};
    if (!ValueOf(cell)) {
      if (attributes_.has_formula) CountFormulasWithoutValue(first, last);
      return;
    }
    if (last > kMaxColumns) {
      RefuseOutside(next_row_, std::max<std::int64_t>(first, kMaxColumns + 1));
    }
    cell.column = static_cast<std::int32_t>(first);
    cell.count = static_cast<std::int32_t>(last - first + 1);
    pending_.push_back(cell);
  }

  // Formulas without a value hold nothing to lose; those within the sheet
  // are counted, once for each cell their repeats fill.
  void CountFormulasWithoutValue(std::int64_t first, std::int64_t last) {
    const std::int64_t columns =
        std::min<std::int64_t>(last, kMaxColumns) - first + 1;
    const std::int64_t rows =
        std::min<std::int64_t>(next_row_ + row_repeat_ - 1, kMaxRows) -
        next_row_ + 1;
    if (columns > 0 && rows > 0) {
      workbook_.CountFormulasWithoutValue(columns * rows);
    }
  }

  std::uint32_t Pool(std::string_view text) { return texts_.Add(text); }

  // Fills in the cell's value; false for an empty cell.
  bool ValueOf(PendingCell& cell) {
    const CellAttributes& a = attributes_;
    if (a.error) {
      cell.kind = CellKind::kError;
      cell.text_index = Pool(text_);
      return true;
    }
    cell.number = a.number;
    switch (a.type) {
      case ValueType::kNumber:
        if (!a.parsed) return TextOf(cell);
        // Error results saved as the number 0 with the error code as their
        // displayed text (OpenOffice, Excel): the result is the error.
        if (a.has_formula && a.number == 0 && IsErrorCode(text_)) {
          cell.kind = CellKind::kError;
          cell.text_index = Pool(text_);
          return true;
        }
        if (a.shown_as_boolean) {
          cell.kind = CellKind::kBoolean;
          cell.number = a.number != 0 ? 1 : 0;
          return true;
        }
        cell.kind = CellKind::kNumber;
        return true;
      case ValueType::kDate:
      case ValueType::kTime:
        if (!a.parsed) return TextOf(cell);
        cell.kind = CellKind::kDateTime;
        cell.time_only = a.type == ValueType::kTime;
        return true;
      case ValueType::kBoolean:
        cell.kind = CellKind::kBoolean;
        return true;
      case ValueType::kString:
        cell.kind = CellKind::kText;
        cell.text_index = Pool(a.has_string_value ? string_value_ : text_);
        return true;
      case ValueType::kNone:
        // Text shown in a cell without a value type is read as text;
        // without any the cell is empty.
        if (text_.empty()) return false;
        return TextOf(cell);
      case ValueType::kOther:
        break;
    }
    return TextOf(cell);
  }

  bool TextOf(PendingCell& cell) {
    cell.kind = CellKind::kText;
    cell.text_index = Pool(text_);
    return true;
  }

  const std::string& path_;
  Workbook& workbook_;
  OdsNames names_{workbook_};
  XmlTokenizer& xml_;
  BackgroundInflater& inflater_;
  std::size_t kept_depth_ = 0;
  std::size_t keep_until_ = 0;
  std::size_t released_until_ = 0;
  std::size_t reserve_;
  RepeatedTexts texts_;
  bool saw_spreadsheet_ = false;
  std::size_t spreadsheet_depth_ = 0;
  std::string style_family_;
  std::string style_name_;
  std::unordered_set<std::string> hidden_styles_;
  std::unordered_set<std::string> boolean_data_styles_;
  std::unordered_map<std::string, std::string> cell_data_styles_;
  std::unordered_set<std::string> boolean_cell_styles_;
  // Runs of columns of the current table whose default cell style is one
  // of those, in column order.
  struct ColumnRun {
    std::int64_t first;
    std::int64_t last;
  };
  std::vector<ColumnRun> boolean_columns_;
  std::unordered_map<std::string, float> column_widths_;
  std::unordered_map<std::string, float> row_heights_;

  Sheet* sheet_ = nullptr;
  std::size_t table_depth_ = 0;
  std::size_t row_depth_ = 0;
  std::int64_t row_repeat_ = 1;
  std::int64_t next_row_ = 1;
  std::int64_t next_column_ = 1;
  std::int64_t next_layout_column_ = 1;
  std::vector<PendingCell> pending_;

  std::size_t cell_depth_ = 0;
  CellAttributes attributes_;
  std::string string_value_;
  bool collecting_ = false;
  std::size_t paragraph_depth_ = 0;
  std::size_t skip_depth_ = 0;
  int paragraph_count_ = 0;
  std::string text_;
};

// ---------------------------------------------------------------- package

void RefuseEncrypted(const std::string& path, const ZipArchive& zip) {
  if (!zip.Contains("META-INF/manifest.xml")) return;
  const std::string manifest = zip.Read("META-INF/manifest.xml", 16u << 20);
  if (manifest.find("encryption-data") != std::string::npos ||
      manifest.find("encrypted-package") != std::string::npos) {
    throw WorkbookError(path, "the workbook is password-protected (encrypted)");
  }
}

// The name of the sheet settings.xml marks as active, or empty.
std::string ActiveTableName(const ZipArchive& zip, ReaderBudget& budget) {
  if (!zip.Contains("settings.xml")) return {};
  budget.ChargePart("settings.xml", zip.EntrySize("settings.xml").value_or(0));
  const std::string xml = PackagePart::ReadSmallXml(zip, "settings.xml");
  try {
    XmlTokenizer tokens(xml);
    bool in_active_table = false;
    for (Token token = tokens.Next(); token != Token::kEnd;
         token = tokens.Next()) {
      if (token == Token::kStartTag) {
        in_active_table = tokens.local_name() == "config-item" &&
                          tokens.AttributeOr("name") == "ActiveTable";
      } else if (token == Token::kText && in_active_table) {
        return std::string(tokens.text());
      } else {
        in_active_table = false;
      }
    }
  } catch (const XmlError& error) {
    PackagePart::FailXml(zip, "settings.xml", error);
  }
  return {};
}

// content.xml holds all the cells and is by far the largest part: it is
// parsed while a worker thread inflates it.
void ReadContent(const std::string& path, const ZipArchive& zip,
                 Workbook& workbook) {
  BackgroundInflater inflater(zip, "content.xml");
  workbook.budget().ChargePart("content.xml", inflater.size());
  try {
    ParseArrivingXml(inflater, [&](XmlTokenizer& xml) {
      OdsContentReader(path, workbook, xml, inflater).Read();
    });
  } catch (const XmlError& error) {
    PackagePart::FailXml(zip, "content.xml", error);
  }
}

}  // namespace

std::unique_ptr<Workbook> ReadOds(const std::string& path, ZipArchive& zip) {
  RefuseEncrypted(path, zip);
  if (!zip.Contains("content.xml")) {
    throw WorkbookError(path, "the OpenDocument package has no content.xml");
  }
  auto workbook = std::make_unique<Workbook>(path, "ods");
  ReadContent(path, zip, *workbook);
  if (workbook->sheet_count() == 0) {
    throw WorkbookError(path, "the spreadsheet has no sheets");
  }
  const std::string active = ActiveTableName(zip, workbook->budget());
  if (!active.empty()) {
    for (int i = 0; i < workbook->sheet_count(); ++i) {
      if (workbook->sheet(i).name() == active) {
        workbook->set_active_sheet(i);
        break;
      }
    }
  }
  return workbook;
}

}  // namespace kestrilo
