// SPDX-License-Identifier: MIT

#include "engine/reading/ods/ods_content.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/input/workbook_error.h"
#include "engine/reading/ods/ods_names.h"
#include "engine/reading/ods/ods_styles.h"
#include "engine/reading/ods/ods_values.h"
#include "engine/reading/xml/xml_error.h"
#include "engine/reading/xml/xml_tokenizer.h"
#include "engine/reading/zip/arriving_xml.h"
#include "engine/reading/zip/background_inflater.h"
#include "engine/reading/zip/package_part.h"
#include "engine/text/number_text.h"

namespace kestrilo {

namespace {

using Token = XmlTokenizer::Token;

// Repeat counts let a few bytes claim billions of cells. Empty repeats cost
// nothing; a repeated value is taken once per cell by the target, which
// charges each to the workbook's budget. Positions add up repeats without ever
// overflowing: they stop far beyond the sheet, where nothing more is stored.
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

// True when the qualified `name` is `local` with any namespace prefix: the
// reader's short name for the test it makes of every tag and attribute.
inline bool Is(std::string_view name, std::string_view local) {
  return XmlTokenizer::HasLocalName(name, local);
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
  std::uint32_t style = 0;
  std::int64_t columns = 1;
  std::int64_t columns_spanned = 1;
  std::int64_t rows_spanned = 1;
};

// Reads content.xml in one pass: automatic table styles (hidden sheets),
// then the tables of office:spreadsheet, each read into the target the
// plan gives or passed by.
class OdsContentReader {
 public:
  // `inflater` holds content.xml, whose size estimates the cells of a
  // sheet and whose rows already read it gives back.
  OdsContentReader(const std::string& path, Workbook& workbook,
                   OdsStyles& styles, XmlTokenizer& xml,
                   BackgroundInflater& inflater, const OdsContentPlan& plan)
      : path_(path),
        workbook_(workbook),
        styles_(styles),
        xml_(xml),
        inflater_(inflater),
        plan_(plan),
        reserve_(std::min(inflater.size() / kBytesPerCell, kMaxReserve)) {}

  void Read() {
    XmlTokenizer::FlatElement flat;
    while (!stopped_) {
      if (row_depth_ != 0 && cell_depth_ == 0 && xml_.depth() == row_depth_ &&
          (xml_.ReadFlatElement("table-cell", flat) ||
           xml_.ReadFlatElement("covered-table-cell", flat))) {
        FlatCell(flat);
        continue;
      }
      const Token token = xml_.Next();
      if (token == Token::kEnd) break;
      // The styles come before the spreadsheet.
      if (spreadsheet_depth_ == 0) styles_.Take(xml_, token, false);
      if (token == Token::kStartTag) {
        Start();
      } else if (token == Token::kEndTag) {
        End();
      } else if (collecting_ && paragraph_depth_ != 0 && skip_depth_ == 0) {
        AppendText(xml_.text());
      }
    }
    if (stopped_) return;
    if (!saw_spreadsheet_) {
      throw WorkbookError(path_,
                          "content.xml holds no spreadsheet (no "
                          "office:spreadsheet element)");
    }
    if (plan_.names) names_.AddToWorkbook();
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
      } else if (!TakeName(-1)) {
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
      TakeName(workbook_.sheet_count() - 1);
    }
  }

  bool TakeName(int sheet) { return plan_.names && names_.Take(xml_, sheet); }

  // Automatic styles of tables, columns and rows (those of cells are the
  // OdsStyles' to read): which tables are hidden, and the widths and
  // heights of column and row styles.
  void StartStyleElement(std::string_view name) {
    if (Is(name, "style")) {
      style_family_ = xml_.AttributeOr("family");  // copied: views are brief
      style_name_ = xml_.AttributeOr("name");
    } else if (Is(name, "table-properties") && style_family_ == "table" &&
               xml_.AttributeOr("display") == "false") {
      hidden_styles_.emplace(style_name_);
    } else if (Is(name, "table-column-properties") &&
               style_family_ == "table-column") {
      if (auto width = OdsLengthInPoints(xml_.AttributeOr("column-width"))) {
        column_widths_[style_name_] = *width;
      }
    } else if (Is(name, "table-row-properties") &&
               style_family_ == "table-row") {
      if (auto height = OdsLengthInPoints(xml_.AttributeOr("row-height"))) {
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
    if (target_ == nullptr) return;
    const std::int64_t first = next_layout_column_;
    const std::int64_t repeat =
        OdsRepeatCount(xml_.AttributeOr("number-columns-repeated"));
    next_layout_column_ =
        std::min<std::int64_t>(first + repeat, kMaxColumns + 1);
    if (first > kMaxColumns) return;
    // Cells without a style of their own take their column's; runs of the
    // common default are not kept.
    const std::string_view cell_style =
        xml_.AttributeOr("default-cell-style-name");
    const OdsStyles::Resolved& style = styles_.Find(cell_style);
    if (style.style != styles_.default_style().style ||
        style.boolean != styles_.default_style().boolean) {
      column_styles_.push_back({first, next_layout_column_ - 1, style});
    }
    SheetLayout* const layout = target_->layout();
    SheetLayout::Span span;
    if (layout == nullptr || !ReadSpan(column_widths_, span)) return;
    span.first = static_cast<std::int32_t>(first);
    span.last = static_cast<std::int32_t>(next_layout_column_ - 1);
    layout->AddColumns(span);
  }

  void AddRowSpan() {
    SheetLayout* const layout = target_->layout();
    SheetLayout::Span span;
    if (layout == nullptr || next_row_ > kMaxRows ||
        !ReadSpan(row_heights_, span)) {
      return;
    }
    span.first = static_cast<std::int32_t>(next_row_);
    span.last = static_cast<std::int32_t>(
        std::min<std::int64_t>(next_row_ + row_repeat_ - 1, kMaxRows));
    layout->AddRows(span);
  }

  // A merged area starts at the cell just read. Repeated cells or rows
  // with spans would each start one; the first stands for them all, so
  // that the areas stay as many as the elements of the file.
  void AddMergedArea(std::int64_t column) {
    const CellAttributes& a = attributes_;
    SheetLayout* const layout = target_->layout();
    if ((a.columns_spanned < 2 && a.rows_spanned < 2) || layout == nullptr ||
        next_row_ > kMaxRows || column > kMaxColumns) {
      return;
    }
    const std::int64_t rows =
        std::min<std::int64_t>(a.rows_spanned, kMaxRows - next_row_ + 1);
    const std::int64_t columns =
        std::min<std::int64_t>(a.columns_spanned, kMaxColumns - column + 1);
    layout->AddMergedArea(BlockGeometry{
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
      stopped_ = target_ != nullptr && plan_.stop_after_target;
      target_ = nullptr;
    }
  }

  // The cell styles are known once all the automatic styles, which come
  // before the tables, are read.
  void ResolveStyles() {
    try {
      styles_.Resolve(workbook_.styles());
    } catch (const std::length_error& error) {
      throw WorkbookError(path_,
                          std::string("the styles hold ") + error.what());
    }
  }

  // The column's default cell style, which its cells without a style of
  // their own take.
  const OdsStyles::Resolved& ColumnStyle(std::int64_t column) const {
    const auto it = std::upper_bound(
        column_styles_.begin(), column_styles_.end(), column,
        [](std::int64_t c, const ColumnRun& run) { return c < run.first; });
    if (it == column_styles_.begin() || column > std::prev(it)->last) {
      return styles_.default_style();
    }
    return std::prev(it)->style;
  }

  void StartTable() {
    if (workbook_.sheet_count() == 0) ResolveStyles();
    column_styles_.clear();
    const std::string_view style = xml_.AttributeOr("style-name");
    const bool hidden = hidden_styles_.count(std::string(style)) != 0;
    std::string name(xml_.AttributeOr("name"));
    // A table must have a name; a broken writer's nameless one gets the
    // name spreadsheet applications give a new sheet.
    if (name.empty())
      name = "Sheet" + std::to_string(workbook_.sheet_count() + 1);
    sheet_ = &workbook_.AddSheet(std::move(name), hidden);
    target_ = plan_.target ? plan_.target(workbook_.sheet_count() - 1, *sheet_)
                           : nullptr;
    // Room for the cells at once spares copying them while the sheet grows;
    // memory reserved but not used is never touched.
    if (target_ != nullptr) target_->Reserve(reserve_);
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
    if (target_ == nullptr) return;
    row_repeat_ = OdsRepeatCount(xml_.AttributeOr("number-rows-repeated"));
    AddRowSpan();
    next_column_ = 1;
    pending_.clear();
  }

  void EndRow() {
    if (target_ == nullptr) {
      row_depth_ = 0;
      return;
    }
    const std::int64_t first = next_row_;
    const std::int64_t last = first + row_repeat_ - 1;
    if (!pending_.empty()) {
      if (last > kMaxRows) {
        RefuseOutside(std::max<std::int64_t>(first, kMaxRows + 1),
                      pending_.front().column);
      }
      target_->AddRows(static_cast<std::int32_t>(first),
                       static_cast<std::int32_t>(last), pending_);
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

  void StartCell(std::size_t depth) {
    cell_depth_ = depth;
    if (target_ == nullptr) return;
    ReadCellAttributes();
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
    if (target_ == nullptr) return;
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
        if (IsOdsBooleanFormula(attribute.value)) {
          attributes_.shown_as_boolean = true;
        }
      } else if (Is(name, "style-name")) {
        const OdsStyles::Resolved& style = styles_.Find(attribute.value);
        attributes_.has_style = true;
        attributes_.style = style.style;
        attributes_.shown_as_boolean |= style.boolean;
      } else if (Is(name, "number-columns-repeated")) {
        attributes_.columns = OdsRepeatCount(attribute.value);
      } else if (Is(name, "number-columns-spanned")) {
        attributes_.columns_spanned = OdsRepeatCount(attribute.value);
      } else if (Is(name, "number-rows-spanned")) {
        attributes_.rows_spanned = OdsRepeatCount(attribute.value);
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
      a.parsed = ParseOdsDateValue(date_value, a.number);
    } else if (type == "time") {
      a.type = ValueType::kTime;
      a.parsed = ParseOdsTimeValue(time_value, a.number);
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
    if (target_ == nullptr || skip_depth_ != 0) return;
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
    if (target_ != nullptr) FinishCell();
  }

  void FinishCell() {
    const std::int64_t first = next_column_;
    const std::int64_t last = first + attributes_.columns - 1;
    next_column_ = std::min(last + 1, kFarBeyond);
    AddMergedArea(first);
    if (!attributes_.has_style) {
      const OdsStyles::Resolved& style =
          column_styles_.empty() ? styles_.default_style() : ColumnStyle(first);
      attributes_.style = style.style;
      attributes_.shown_as_boolean |= style.boolean;
    }
    OdsCell cell{0, 0, CellKind::kEmpty, false, attributes_.style, 0.0, 0};
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

  std::uint32_t Pool(std::string_view text) { return target_->KeepText(text); }

  // Fills in the cell's value; false for an empty cell.
  bool ValueOf(OdsCell& cell) {
    const CellAttributes& a = attributes_;
    if (a.error) {
      cell.kind = CellKind::kError;
      cell.text = Pool(text_);
      return true;
    }
    cell.number = a.number;
    switch (a.type) {
      case ValueType::kNumber:
        if (!a.parsed) return TextOf(cell);
        // Error results saved as the number 0 with the error code as their
        // displayed text (OpenOffice, Excel): the result is the error.
        if (a.has_formula && a.number == 0 && IsOdsErrorCode(text_)) {
          cell.kind = CellKind::kError;
          cell.text = Pool(text_);
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
        cell.text = Pool(a.has_string_value ? string_value_ : text_);
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

  bool TextOf(OdsCell& cell) {
    cell.kind = CellKind::kText;
    cell.text = Pool(text_);
    return true;
  }

  const std::string& path_;
  Workbook& workbook_;
  OdsStyles& styles_;
  OdsNames names_{workbook_};
  XmlTokenizer& xml_;
  BackgroundInflater& inflater_;
  const OdsContentPlan& plan_;
  std::size_t kept_depth_ = 0;
  std::size_t keep_until_ = 0;
  std::size_t released_until_ = 0;
  std::size_t reserve_;
  bool saw_spreadsheet_ = false;
  std::size_t spreadsheet_depth_ = 0;
  std::string style_family_;
  std::string style_name_;
  std::unordered_set<std::string> hidden_styles_;
  // Runs of columns of the current table whose default cell style is not
  // the common default, in column order.
  struct ColumnRun {
    std::int64_t first;
    std::int64_t last;
    OdsStyles::Resolved style;
  };
  std::vector<ColumnRun> column_styles_;
  std::unordered_map<std::string, float> column_widths_;
  std::unordered_map<std::string, float> row_heights_;

  // The table being read, and where its cells go (null: passed by).
  Sheet* sheet_ = nullptr;
  OdsTableTarget* target_ = nullptr;
  bool stopped_ = false;
  std::size_t table_depth_ = 0;
  std::size_t row_depth_ = 0;
  std::int64_t row_repeat_ = 1;
  std::int64_t next_row_ = 1;
  std::int64_t next_column_ = 1;
  std::int64_t next_layout_column_ = 1;
  std::vector<OdsCell> pending_;

  std::size_t cell_depth_ = 0;
  CellAttributes attributes_;
  std::string string_value_;
  bool collecting_ = false;
  std::size_t paragraph_depth_ = 0;
  std::size_t skip_depth_ = 0;
  int paragraph_count_ = 0;
  std::string text_;
};

// The common cell styles of styles.xml, which the automatic ones of
// content.xml and the cells may name.
void ReadCommonStyles(const ZipArchive& zip, Workbook& workbook,
                      OdsStyles& styles) {
  if (!zip.Contains("styles.xml")) return;
  workbook.budget().ChargePart("styles.xml",
                               zip.EntrySize("styles.xml").value_or(0));
  const std::string xml_text = PackagePart::ReadXml(zip, "styles.xml");
  try {
    XmlTokenizer xml(xml_text);
    for (Token token = xml.Next(); token != Token::kEnd; token = xml.Next()) {
      styles.Take(xml, token, true);
    }
  } catch (const XmlError& error) {
    PackagePart::FailXml(zip, "styles.xml", error);
  }
}

}  // namespace

// content.xml holds all the cells and is by far the largest part: it is
// parsed while a worker thread inflates it.
void ReadOdsContent(const std::string& path, const ZipArchive& zip,
                    Workbook& workbook, const OdsContentPlan& plan) {
  OdsStyles styles;
  if (plan.target) ReadCommonStyles(zip, workbook, styles);
  BackgroundInflater inflater(zip, "content.xml");
  workbook.budget().ChargePart("content.xml", inflater.size());
  try {
    ParseArrivingXml(inflater, [&](XmlTokenizer& xml) {
      OdsContentReader(path, workbook, styles, xml, inflater, plan).Read();
    });
  } catch (const XmlError& error) {
    PackagePart::FailXml(zip, "content.xml", error);
  }
}

}  // namespace kestrilo
