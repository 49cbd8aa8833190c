// SPDX-License-Identifier: MIT

#include "engine/writing/xml_builder.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <utility>

#include "engine/model/address_error.h"

namespace kestrilo {

namespace {

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
  RequireInsideWorksheet(block_, address);
  working_.resize(kChunkSize + kLineRoom);
  if (options_.title_tag) {
    AppendTagName(options_.title, options_.escape_text, title_);
    if (options_.valid_names) MakeNameValid(title_);
    outer_indent_ = "\t";
    nested_indent_ = "\t\t\t";
    OpenLine(std::string_view(), title_);
  }
}

void RequireInsideWorksheet(const BlockGeometry& block,
                            std::string_view address) {
  if (!InsideWorksheet(block)) {
    throw AddressError("The cell address \"" + std::string(address) +
                       "\" names cells outside the worksheet.");
  }
}

void XmlBuilder::BeginStep(std::int32_t number) { TellStep(step_, number); }

void TellStep(const XmlBuilder::StepCallback& step, std::int32_t number) {
  if (!step) return;
  char status[64];
  std::memcpy(status, kStatusPrefix.data(), kStatusPrefix.size());
  char* end = std::to_chars(status + kStatusPrefix.size(),
                            status + sizeof status, number)
                  .ptr;
  step(std::string_view(status, end - status));
}

void XmlBuilder::Finish() {
  if (options_.title_tag) CloseLine(std::string_view(), title_);
  if (used_ != 0) HandOn();
}

namespace {

char* Put(std::string_view text, char* out) {
  // An empty view may hold a null pointer, which memcpy must never get.
  if (!text.empty()) std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

}  // namespace

void XmlBuilder::OpenLine(std::string_view indent, std::string_view tag) {
  if (tag.size() > kLineRoom / 2) {
    Append(indent);
    Append("<");
    Append(tag);
    Append(">\r\n");
    EndLine(working_.data() + used_);
    return;
  }
  char* out = Put(indent, Room(indent.size() + tag.size() + 4));
  *out++ = '<';
  out = Put(tag, out);
  EndLine(Put(">\r\n", out));
}

void XmlBuilder::CloseLine(std::string_view indent, std::string_view tag) {
  if (tag.size() > kLineRoom / 2) {
    Append(indent);
    Append("</");
    Append(tag);
    Append(">\r\n");
    EndLine(working_.data() + used_);
    return;
  }
  char* out = Put(indent, Room(indent.size() + tag.size() + 5));
  out = Put("</", out);
  out = Put(tag, out);
  EndLine(Put(">\r\n", out));
}

void XmlBuilder::CellLine(std::string_view indent, std::string_view tag,
                          const CellValue& value) {
  const std::size_t most =
      indent.size() + 2 * tag.size() + 6 + MostValueBytes(value);
  if (most > kLineRoom) {
    LongCellLine(indent, &tag, std::string_view(), value);
    return;
  }
  char* out = Put(indent, Room(most));
  *out++ = '<';
  out = Put(tag, out);
  *out++ = '>';
  out = WriteValue(value, out);
  out = Put("</", out);
  out = Put(tag, out);
  EndLine(Put(">\r\n", out));
}

void XmlBuilder::AppendCellOpening(bool nested, std::string_view tag,
                                   std::string& out) const {
  out += nested ? nested_indent_ : outer_indent_;
  out += '<';
  out += tag;
  out += '>';
}

void XmlBuilder::AppendCellClosing(std::string_view tag, std::string& out) {
  out += "</";
  out += tag;
  out += ">\r\n";
}

// A framed cell that would not fit behind the working text, or that might
// not fit the room kept for a line.
void XmlBuilder::RoomyFramedCell(std::string_view opening,
                                 std::string_view closing,
                                 const CellValue& value) {
  const std::size_t most =
      opening.size() + closing.size() + MostValueBytes(value);
  if (most > kLineRoom) {
    LongCellLine(opening, nullptr, closing, value);
    return;
  }
  char* out = Put(opening, Room(most));
  out = WriteValue(value, out);
  EndLine(Put(closing, out));
}

// A line too long for the room kept goes piece by piece; a `tag` given
// stands for "<tag>" before the text and "</tag>" and the line end after it.
void XmlBuilder::LongCellLine(std::string_view opening,
                              const std::string_view* tag,
                              std::string_view closing,
                              const CellValue& value) {
  Append(opening);
  if (tag) {
    Append("<");
    Append(*tag);
    Append(">");
  }
  if (value.kind != CellKind::kText) {
    char text[kMaxCellTextSize];
    Append(std::string_view(text, WriteCellText(value, text) - text));
  } else if (options_.escape_text) {
    constexpr std::size_t kPart = kLineRoom / kMaxEscapedGrowth;
    for (std::string_view rest = value.text; !rest.empty();) {
      const std::size_t part = EscapablePart(rest, kPart);
      EndLine(
          WriteEscaped(rest.substr(0, part), Room(kMaxEscapedGrowth * part)));
      rest.remove_prefix(part);
    }
  } else {
    Append(value.text);
  }
  if (tag) {
    Append("</");
    Append(*tag);
    Append(">\r\n");
  }
  Append(closing);
  EndLine(working_.data() + used_);
}

// Where `bytes` more may be written: the text so far goes to the sink first
// when they would not fit behind it.
char* XmlBuilder::Room(std::size_t bytes) {
  if (working_.size() - used_ < bytes) HandOn();
  return working_.data() + used_;
}

// Takes the bytes written up to `end`; the text goes to the sink once it
// holds a chunk.
void XmlBuilder::EndLine(char* end) {
  used_ = static_cast<std::size_t>(end - working_.data());
  if (used_ >= kChunkSize) HandOn();
}

void XmlBuilder::Append(std::string_view text) {
  while (!text.empty()) {
    if (used_ == working_.size()) HandOn();
    const std::size_t count = std::min(text.size(), working_.size() - used_);
    std::memcpy(working_.data() + used_, text.data(), count);
    used_ += count;
    text.remove_prefix(count);
  }
}

void XmlBuilder::HandOn() {
  const std::size_t used = used_;
  used_ = 0;
  sink_.Write(std::string_view(working_.data(), used));
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

RowNumberTag::RowNumberTag(std::int32_t row, const ExportOptions& options) {
  char* start = digits;
  if (options.valid_names) *start++ = '_';
  length = std::to_chars(start, digits + sizeof digits, row).ptr - digits;
}

}  // namespace kestrilo
