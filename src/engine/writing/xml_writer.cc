#include "engine/writing/xml_writer.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

#include "engine/model/address_error.h"
#include "engine/writing/cell_text.h"

namespace kestrilo {

namespace {

// Lines gather in a working text that moves to the result whenever it has
// grown beyond this size at the start of an outer step; appending to a short
// text keeps the cost of each line independent of the block's size.
constexpr std::size_t kWorkingLimit = 20000;
// A single outer step can be long (a column of a million rows); its lines
// move on in the middle of the step too, so that the working text never
// holds a large part of the result twice over.
constexpr std::size_t kLongStepLimit = 1 << 20;

constexpr std::string_view kStatusPrefix = "Rows completed: ";

// The result is never reserved further ahead of the text written than this
// (or half the text, when larger): a prediction for a block of millions of
// empty cells must not claim memory the cells never fill.
constexpr std::size_t kMaxReservedAhead = std::size_t{64} << 20;

// Appends the tag name a header cell stands for: its text with every space
// removed, without markup when escaping (see AppendTagName), and made a
// valid name when asked (see MakeNameValid).
void AppendHeaderTag(const CellValue& header, const ExportOptions& options,
                     std::string& out) {
  const std::size_t start = out.size();
  if (header.kind == CellKind::kText) {
    AppendTagName(header.text, options.escape_text, out);
  } else {
    // Numbers, dates and booleans have no spaces except a date's time part.
    AppendCellText(header, out);
    std::size_t kept = start;
    for (std::size_t i = start; i < out.size(); ++i) {
      if (out[i] != ' ') out[kept++] = out[i];
    }
    out.resize(kept);
  }
  if (options.valid_names) MakeNameValid(out, start);
}

void AppendColumnLetters(std::int32_t column, std::string& out) {
  char letters[4];
  int count = 0;
  while (column > 0 && count < 4) {
    --column;
    letters[count++] = static_cast<char>('A' + column % 26);
    column /= 26;
  }
  while (count > 0) out += letters[--count];
}

// Whether a geometry from the source can be walked with 32-bit counters:
// sources other than our own parser might report anything.
bool InsideWorksheet(const BlockGeometry& block) {
  return block.first_row >= 1 && block.first_column >= 1 &&
         block.row_count >= 0 && block.column_count >= 0 &&
         block.row_count <= kMaxRows - block.first_row + 1 &&
         block.column_count <= kMaxColumns - block.first_column + 1;
}

// Tag names of a whole header line (or of row numbers, column letters),
// made once per block and packed into one text: a million rows cost no
// million allocations.
class TagTable {
 public:
  explicit TagTable(std::int32_t first) : first_(first) { ends_.push_back(0); }

  std::string& chars() { return chars_; }
  void EndTag() { ends_.push_back(chars_.size()); }

  std::string_view operator[](std::int32_t position) const {
    const std::size_t index = static_cast<std::size_t>(position - first_);
    return std::string_view(chars_).substr(ends_[index],
                                           ends_[index + 1] - ends_[index]);
  }

 private:
  std::int32_t first_;
  std::string chars_;
  std::vector<std::size_t> ends_;
};

// Shows the wait pointer for as long as it lives. A conversion that fails
// must not leave the application's pointer busy.
class WaitPointer {
 public:
  explicit WaitPointer(CellSource& source) : source_(source) {
    source_.SetWaitPointer(true);
  }
  ~WaitPointer() {
    if (released_) return;
    try {
      source_.SetWaitPointer(false);
    } catch (...) {
    }
  }
  WaitPointer(const WaitPointer&) = delete;
  WaitPointer& operator=(const WaitPointer&) = delete;

  void Release() {
    released_ = true;
    source_.SetWaitPointer(false);
  }

 private:
  CellSource& source_;
  bool released_ = false;
};

// The common frame of the four layouts: wait pointer, geometry, title lines,
// the per-step progress and the two-level text buffer.
class XmlBuilder {
 public:
  // With `preview`, the text is counted into it and only its first
  // `preview_lines` lines are kept; Finish() then returns nothing.
  XmlBuilder(CellSource& source, const ExportOptions& options,
             std::string_view address, XmlPreview* preview = nullptr,
             int preview_lines = 0)
      : source_(source),
        options_(options),
        wait_pointer_(source),
        preview_(preview),
        preview_lines_(preview_lines) {
    block_ = source_.Geometry(address);
    if (!InsideWorksheet(block_)) {
      throw AddressError("The cell address \"" + std::string(address) +
                         "\" names cells outside the worksheet.");
    }
    working_.reserve(2 * kWorkingLimit);
    if (options_.title_tag) {
      AppendTagName(options_.title, options_.escape_text, title_);
      if (options_.valid_names) MakeNameValid(title_);
      outer_indent_ = "\t";
      nested_indent_ = "\t\t\t";
      OpenLine(std::string_view(), title_);
    }
  }

  XmlBuilder(const XmlBuilder&) = delete;
  XmlBuilder& operator=(const XmlBuilder&) = delete;

  std::int64_t rows() const { return block_.row_count; }
  std::int64_t columns() const { return block_.column_count; }
  const ExportOptions& options() const { return options_; }
  std::int32_t r0() const { return block_.first_row; }
  std::int32_t r1() const { return block_.last_row(); }
  std::int32_t c0() const { return block_.first_column; }
  std::int32_t c1() const { return block_.last_column(); }

  // The layout's outer loop has `steps` steps of `cells_per_step` cell
  // lines each; used only to size the result ahead.
  void Plan(std::int64_t steps, std::int64_t cells_per_step) {
    total_units_ = std::max<std::int64_t>(steps, 0) * (cells_per_step + 1);
  }

  // Announces the outer step for row (or column) `number`.
  void BeginStep(std::int32_t number) {
    source_.ProcessEvents();
    char status[64];
    std::memcpy(status, kStatusPrefix.data(), kStatusPrefix.size());
    char* end = std::to_chars(status + kStatusPrefix.size(),
                              status + sizeof status, number)
                    .ptr;
    source_.SetStatusText(std::string_view(status, end - status));
    if (working_.size() > kWorkingLimit) MoveWorkingText();
    ++units_done_;
  }

  CellValue Value(std::int32_t row, std::int32_t column) const {
    return source_.Value(row, column);
  }

  // The tag name of the header cell at (row, column).
  std::string HeaderTag(std::int32_t row, std::int32_t column) const {
    std::string tag;
    AppendHeaderTag(source_.Value(row, column), options_, tag);
    return tag;
  }

  // The tag names of the header cells of column `column`, rows first..last.
  TagTable HeaderTagsOfColumn(std::int32_t column, std::int32_t first,
                              std::int32_t last) const {
    TagTable table(first);
    for (std::int32_t row = first; row <= last; ++row) {
      AppendHeaderTag(source_.Value(row, column), options_, table.chars());
      table.EndTag();
    }
    return table;
  }

  // The tag names of the header cells of row `row`, columns first..last.
  TagTable HeaderTagsOfRow(std::int32_t row, std::int32_t first,
                           std::int32_t last) const {
    TagTable table(first);
    for (std::int32_t column = first; column <= last; ++column) {
      AppendHeaderTag(source_.Value(row, column), options_, table.chars());
      table.EndTag();
    }
    return table;
  }

  void OpenOuter(std::string_view tag) { OpenLine(outer_indent_, tag); }
  void CloseOuter(std::string_view tag) { CloseLine(outer_indent_, tag); }

  void NestedCell(std::string_view tag, const CellValue& value) {
    CellLine(nested_indent_, tag, value);
  }
  void FlatCell(std::string_view tag, const CellValue& value) {
    CellLine(outer_indent_, tag, value);
  }

  std::string Finish() {
    if (options_.title_tag) CloseLine(std::string_view(), title_);
    if (preview_ != nullptr) {
      MoveWorkingText();
    } else if (result_.empty()) {
      result_.swap(working_);
    } else {
      const std::size_t needed = result_.size() + working_.size();
      if (needed > result_.capacity()) Regrow(needed);
      result_.append(working_);
    }
    wait_pointer_.Release();
    return std::move(result_);
  }

 private:
  void OpenLine(std::string_view indent, std::string_view tag) {
    working_ += indent;
    working_ += '<';
    working_ += tag;
    working_ += ">\r\n";
  }

  void CloseLine(std::string_view indent, std::string_view tag) {
    working_ += indent;
    working_ += "</";
    working_ += tag;
    working_ += ">\r\n";
  }

  void CellLine(std::string_view indent, std::string_view tag,
                const CellValue& value) {
    working_ += indent;
    working_ += '<';
    working_ += tag;
    working_ += '>';
    if (value.kind == CellKind::kText) {
      if (options_.escape_text) {
        AppendEscaped(value.text, working_);
      } else {
        working_ += value.text;
      }
    } else {
      AppendCellText(value, working_);
    }
    working_ += "</";
    working_ += tag;
    working_ += ">\r\n";
    ++units_done_;
    if (working_.size() > kLongStepLimit) MoveWorkingText();
  }

  // Moves the working text to the result. The result is reserved for the
  // size that the lines so far predict, so that it is not regrown (and
  // copied) by doubling: the peak memory stays near the size of the text.
  void MoveWorkingText() {
    if (preview_ != nullptr) {
      CountWorkingText();
      return;
    }
    const std::size_t needed = result_.size() + working_.size();
    if (needed > result_.capacity()) {
      // Predict the rest from the lines since the last prediction, so that
      // lines growing longer (row numbers in the tags, say) are followed; a
      // first guess gets a small margin, a guess that fell short a larger.
      const double units = static_cast<double>(
          std::max<std::int64_t>(units_done_ - predicted_at_units_, 1));
      const double per_unit =
          static_cast<double>(needed - predicted_at_size_) / units;
      const double remaining = static_cast<double>(
          std::max<std::int64_t>(total_units_ - units_done_, 0));
      const double margin = result_.empty() ? 1.0625 : 1.25;
      const double projected =
          static_cast<double>(needed) + per_unit * remaining * margin;
      const std::size_t ahead = std::max(kMaxReservedAhead, needed / 2);
      Regrow(std::max(needed, std::min(static_cast<std::size_t>(projected),
                                       needed + ahead) +
                                  4096));
      predicted_at_units_ = units_done_;
      predicted_at_size_ = needed;
    }
    result_.append(working_);
    working_.clear();
  }

  void CountWorkingText() {
    const std::int64_t lines =
        std::count(working_.begin(), working_.end(), '\n');
    const std::int64_t wanted = preview_lines_ - preview_->line_count;
    if (wanted > 0) {
      std::size_t end = 0;
      for (std::int64_t kept = 0; kept < wanted && end < working_.size();
           ++kept) {
        end = working_.find('\n', end);
        end = end == std::string::npos ? working_.size() : end + 1;
      }
      preview_->head.append(working_, 0, end);
    }
    preview_->line_count += lines;
    preview_->byte_count += static_cast<std::int64_t>(working_.size());
    working_.clear();
  }

  // Gives the result exactly `capacity` bytes of room. std::string::reserve
  // would at least double the old capacity, so that old and new buffers
  // together could reach three times the text.
  void Regrow(std::size_t capacity) {
    std::string larger;
    larger.reserve(capacity);
    larger.append(result_);
    result_.swap(larger);
  }

  CellSource& source_;
  const ExportOptions& options_;
  WaitPointer wait_pointer_;
  BlockGeometry block_;
  std::string title_;
  std::string_view outer_indent_;
  std::string_view nested_indent_ = "\t";
  std::string result_;
  std::string working_;
  XmlPreview* preview_;
  int preview_lines_;
  std::int64_t total_units_ = 0;  // outer steps and cell lines
  std::int64_t units_done_ = 0;
  std::int64_t predicted_at_units_ = 0;
  std::size_t predicted_at_size_ = 0;
};

// Row numbers as tags: decimal digits, no sign or separators; a valid name
// cannot start with a digit, so valid names have "_" in front. (Column
// letters are valid names as they are.)
struct RowNumberTag {
  RowNumberTag(std::int32_t row, const ExportOptions& options) {
    char* start = digits;
    if (options.valid_names) *start++ = '_';
    length = std::to_chars(start, digits + sizeof digits, row).ptr - digits;
  }
  std::string_view view() const { return std::string_view(digits, length); }
  char digits[16];
  std::ptrdiff_t length;
};

std::string BothHeadersRowFirst(XmlBuilder& xml) {
  const TagTable columns =
      xml.HeaderTagsOfRow(xml.r0(), xml.c0() + 1, xml.c1());
  xml.Plan(xml.rows() - 1, xml.columns() - 1);
  for (std::int32_t row = xml.r0() + 1; row <= xml.r1(); ++row) {
    xml.BeginStep(row);
    const std::string tag = xml.HeaderTag(row, xml.c0());
    xml.OpenOuter(tag);
    for (std::int32_t column = xml.c0() + 1; column <= xml.c1(); ++column) {
      xml.NestedCell(columns[column], xml.Value(row, column));
    }
    xml.CloseOuter(tag);
  }
  return xml.Finish();
}

std::string BothHeadersColumnFirst(XmlBuilder& xml) {
  const TagTable rows =
      xml.HeaderTagsOfColumn(xml.c0(), xml.r0() + 1, xml.r1());
  xml.Plan(xml.columns() - 1, xml.rows() - 1);
  for (std::int32_t column = xml.c0() + 1; column <= xml.c1(); ++column) {
    xml.BeginStep(column);
    const std::string tag = xml.HeaderTag(xml.r0(), column);
    xml.OpenOuter(tag);
    for (std::int32_t row = xml.r0() + 1; row <= xml.r1(); ++row) {
      xml.NestedCell(rows[row], xml.Value(row, column));
    }
    xml.CloseOuter(tag);
  }
  return xml.Finish();
}

std::string NoHeadersRowFirst(XmlBuilder& xml) {
  TagTable columns(xml.c0());
  for (std::int32_t column = xml.c0(); column <= xml.c1(); ++column) {
    AppendColumnLetters(column, columns.chars());
    columns.EndTag();
  }
  xml.Plan(xml.rows(), xml.columns());
  for (std::int32_t row = xml.r0(); row <= xml.r1(); ++row) {
    xml.BeginStep(row);
    const RowNumberTag tag(row, xml.options());
    xml.OpenOuter(tag.view());
    for (std::int32_t column = xml.c0(); column <= xml.c1(); ++column) {
      xml.NestedCell(columns[column], xml.Value(row, column));
    }
    xml.CloseOuter(tag.view());
  }
  return xml.Finish();
}

std::string NoHeadersColumnFirst(XmlBuilder& xml) {
  xml.Plan(xml.columns(), xml.rows());
  for (std::int32_t column = xml.c0(); column <= xml.c1(); ++column) {
    xml.BeginStep(column);
    const std::string tag = ColumnLetters(column);
    xml.OpenOuter(tag);
    for (std::int32_t row = xml.r0(); row <= xml.r1(); ++row) {
      xml.NestedCell(RowNumberTag(row, xml.options()).view(),
                     xml.Value(row, column));
    }
    xml.CloseOuter(tag);
  }
  return xml.Finish();
}

std::string HeaderRowLayout(XmlBuilder& xml) {
  const TagTable columns = xml.HeaderTagsOfRow(xml.r0(), xml.c0(), xml.c1());
  xml.Plan(xml.rows() - 1, xml.columns());
  for (std::int32_t row = xml.r0() + 1; row <= xml.r1(); ++row) {
    xml.BeginStep(row);
    for (std::int32_t column = xml.c0(); column <= xml.c1(); ++column) {
      xml.FlatCell(columns[column], xml.Value(row, column));
    }
  }
  return xml.Finish();
}

std::string HeaderColumnLayout(XmlBuilder& xml) {
  xml.Plan(xml.rows(), xml.columns() - 1);
  for (std::int32_t row = xml.r0(); row <= xml.r1(); ++row) {
    xml.BeginStep(row);
    const std::string tag = xml.HeaderTag(row, xml.c0());
    for (std::int32_t column = xml.c0() + 1; column <= xml.c1(); ++column) {
      xml.FlatCell(tag, xml.Value(row, column));
    }
  }
  return xml.Finish();
}

// The layout the two header flags choose; the flat ones ignore the order.
std::string ChosenLayout(XmlBuilder& xml, const ExportOptions& options) {
  if (options.header_row && !options.header_column) {
    return HeaderRowLayout(xml);
  }
  if (!options.header_row && options.header_column) {
    return HeaderColumnLayout(xml);
  }
  if (!options.header_row && !options.header_column) {
    return options.row_first ? NoHeadersRowFirst(xml)
                             : NoHeadersColumnFirst(xml);
  }
  return options.row_first ? BothHeadersRowFirst(xml)
                           : BothHeadersColumnFirst(xml);
}

}  // namespace

std::string BlockToXml(CellSource& application, const ExportOptions& options,
                       std::string_view address) {
  XmlBuilder xml(application, options, address);
  return ChosenLayout(xml, options);
}

std::string XmlWithBothHeaders(CellSource& application,
                               const ExportOptions& options,
                               std::string_view address) {
  XmlBuilder xml(application, options, address);
  return options.row_first ? BothHeadersRowFirst(xml)
                           : BothHeadersColumnFirst(xml);
}

std::string XmlWithoutHeaders(CellSource& application,
                              const ExportOptions& options,
                              std::string_view address) {
  XmlBuilder xml(application, options, address);
  return options.row_first ? NoHeadersRowFirst(xml) : NoHeadersColumnFirst(xml);
}

std::string XmlWithHeaderRow(CellSource& application,
                             const ExportOptions& options,
                             std::string_view address) {
  XmlBuilder xml(application, options, address);
  return HeaderRowLayout(xml);
}

std::string XmlWithHeaderColumn(CellSource& application,
                                const ExportOptions& options,
                                std::string_view address) {
  XmlBuilder xml(application, options, address);
  return HeaderColumnLayout(xml);
}

XmlPreview BlockPreview(CellSource& application, const ExportOptions& options,
                        std::string_view address, int max_lines) {
  XmlPreview preview;
  XmlBuilder xml(application, options, address, &preview, max_lines);
  ChosenLayout(xml, options);
  return preview;
}

std::string ColumnLetters(std::int32_t column) {
  std::string letters;
  if (column >= 1 && column <= kMaxColumns) {
    AppendColumnLetters(column, letters);
  }
  return letters;
}

}  // namespace kestrilo
