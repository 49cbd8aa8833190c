#include "engine/writing/xml_builder.h"

#include <charconv>
#include <cstring>
#include <utility>

#include "engine/model/address_error.h"
#include "engine/writing/cell_text.h"

namespace kestrilo {

namespace {

// The working text goes to the sink once it holds this much: large enough
// that a file sink makes few system calls, small enough that memory stays
// flat whatever the size of the block.
constexpr std::size_t kChunkSize = std::size_t{256} << 10;

constexpr std::string_view kStatusPrefix = "Rows completed: ";

// Whether a geometry can be walked with 32-bit counters: sources other than
// our own parser might report anything.
bool InsideWorksheet(const BlockGeometry& block) {
  return block.first_row >= 1 && block.first_column >= 1 &&
         block.row_count >= 0 && block.column_count >= 0 &&
         block.row_count <= kMaxRows - block.first_row + 1 &&
         block.column_count <= kMaxColumns - block.first_column + 1;
}

}  // namespace

XmlBuilder::XmlBuilder(const BlockGeometry& block, std::string_view address,
                       const ExportOptions& options, XmlSink& sink,
                       StepCallback step)
    : block_(block), options_(options), sink_(sink), step_(std::move(step)) {
  if (!InsideWorksheet(block_)) {
    throw AddressError("The cell address \"" + std::string(address) +
                       "\" names cells outside the worksheet.");
  }
  // One cell's text may overshoot the chunk; a reserve a little above it
  // spares most regrowth.
  working_.reserve(kChunkSize + kChunkSize / 8);
  if (options_.title_tag) {
    AppendTagName(options_.title, options_.escape_text, title_);
    if (options_.valid_names) MakeNameValid(title_);
    outer_indent_ = "\t";
    nested_indent_ = "\t\t\t";
    OpenLine(std::string_view(), title_);
  }
}

void XmlBuilder::BeginStep(std::int32_t number) {
  if (!step_) return;
  char status[64];
  std::memcpy(status, kStatusPrefix.data(), kStatusPrefix.size());
  char* end = std::to_chars(status + kStatusPrefix.size(),
                            status + sizeof status, number)
                  .ptr;
  step_(std::string_view(status, end - status));
}

void XmlBuilder::Finish() {
  if (options_.title_tag) CloseLine(std::string_view(), title_);
  if (!working_.empty()) sink_.Write(working_);
  working_.clear();
}

void XmlBuilder::OpenLine(std::string_view indent, std::string_view tag) {
  working_ += indent;
  working_ += '<';
  working_ += tag;
  working_ += ">\r\n";
  if (working_.size() >= kChunkSize) HandOn();
}

void XmlBuilder::CloseLine(std::string_view indent, std::string_view tag) {
  working_ += indent;
  working_ += "</";
  working_ += tag;
  working_ += ">\r\n";
  if (working_.size() >= kChunkSize) HandOn();
}

void XmlBuilder::CellLine(std::string_view indent, std::string_view tag,
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
  if (working_.size() >= kChunkSize) HandOn();
}

void XmlBuilder::HandOn() {
  sink_.Write(working_);
  working_.clear();
}

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

std::string HeaderTag(const CellValue& header, const ExportOptions& options) {
  std::string tag;
  AppendHeaderTag(header, options, tag);
  return tag;
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

RowNumberTag::RowNumberTag(std::int32_t row, const ExportOptions& options) {
  char* start = digits;
  if (options.valid_names) *start++ = '_';
  length = std::to_chars(start, digits + sizeof digits, row).ptr - digits;
}

}  // namespace kestrilo
