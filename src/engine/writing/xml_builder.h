// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "engine/model/block_geometry.h"
#include "engine/model/cell_value.h"
#include "engine/model/column_letters.h"
#include "engine/writing/cell_text.h"
#include "engine/writing/export_options.h"
#include "engine/writing/short_copy.h"
#include "engine/writing/xml_sink.h"

namespace kestrilo {

// The common frame of the layouts: title lines, indents, the progress of
// each outer step, and a short working text that goes to the sink whenever
// it reaches a chunk, so that the whole text is never held anywhere.
class XmlBuilder {
 public:
  // Receives "Rows completed: N" at the start of each outer step.
  using StepCallback = std::function<void(std::string_view status)>;

  // Throws AddressError, naming `address`, for a block that does not lie
  // inside the worksheet. Writes the title's opening line.
  XmlBuilder(const BlockGeometry& block, std::string_view address,
             const ExportOptions& options, XmlSink& sink, StepCallback step);
  XmlBuilder(const XmlBuilder&) = delete;
  XmlBuilder& operator=(const XmlBuilder&) = delete;

  std::int64_t rows() const { return block_.row_count; }
  std::int64_t columns() const { return block_.column_count; }
  const ExportOptions& options() const { return options_; }
  std::int32_t r0() const { return block_.first_row; }
  std::int32_t r1() const { return block_.last_row(); }
  std::int32_t c0() const { return block_.first_column; }
  std::int32_t c1() const { return block_.last_column(); }

  // Announces the outer step for row (or column) `number`.
  void BeginStep(std::int32_t number);

  void OpenOuter(std::string_view tag) { OpenLine(outer_indent_, tag); }
  void CloseOuter(std::string_view tag) { CloseLine(outer_indent_, tag); }
  void NestedCell(std::string_view tag, const CellValue& value) {
    CellLine(nested_indent_, tag, value);
  }
  void FlatCell(std::string_view tag, const CellValue& value) {
    CellLine(outer_indent_, tag, value);
  }

  // The bytes before a cell's text under `tag` (its indent and opening tag)
  // and after it (the closing tag and line end), made once for a column
  // whose cells are then written with FramedCell.
  void AppendCellOpening(bool nested, std::string_view tag,
                         std::string& out) const;
  static void AppendCellClosing(std::string_view tag, std::string& out);
  // Inline: the cells of a large block are written here, nearly all on the
  // first road.
  void FramedCell(std::string_view opening, std::string_view closing,
                  const CellValue& value) {
    const std::size_t most =
        opening.size() + closing.size() + MostValueBytes(value);
    if (most > kLineRoom || working_.size() - used_ < most) {
      RoomyFramedCell(opening, closing, value);
      return;
    }
    char* out = CopyShort(opening, working_.data() + used_);
    out = CopyShort(closing, WriteValue(value, out));
    used_ = static_cast<std::size_t>(out - working_.data());
    if (used_ >= kChunkSize) HandOn();
  }

  // Writes the title's closing line and hands the rest to the sink.
  void Finish();

 private:
  // The working text goes to the sink once it holds this much: large enough
  // that a file sink makes few system calls, small enough that memory stays
  // flat whatever the size of the block.
  static constexpr std::size_t kChunkSize = std::size_t{256} << 10;
  // Room kept beyond the chunk for the line that passes it: a line that may
  // need more is written piece by piece instead.
  static constexpr std::size_t kLineRoom = kChunkSize / 8;

  void RoomyFramedCell(std::string_view opening, std::string_view closing,
                       const CellValue& value);
  void OpenLine(std::string_view indent, std::string_view tag);
  void CloseLine(std::string_view indent, std::string_view tag);
  void CellLine(std::string_view indent, std::string_view tag,
                const CellValue& value);
  void LongCellLine(std::string_view opening, const std::string_view* tag,
                    std::string_view closing, const CellValue& value);
  std::size_t MostValueBytes(const CellValue& value) const {
    if (value.kind != CellKind::kText) return kMaxCellTextSize;
    return options_.escape_text ? kMaxEscapedGrowth * value.text.size()
                                : value.text.size();
  }
  char* WriteValue(const CellValue& value, char* out) const {
    if (value.kind != CellKind::kText) return WriteCellText(value, out);
    if (options_.escape_text) return WriteEscaped(value.text, out);
    return CopyShort(value.text, out);
  }

  char* Room(std::size_t bytes);
  void EndLine(char* end);
  void Append(std::string_view text);
  void HandOn();

  BlockGeometry block_;
  const ExportOptions& options_;
  XmlSink& sink_;
  StepCallback step_;
  std::string title_;
  std::string_view outer_indent_;
  std::string_view nested_indent_ = "\t";
  // The working text: the first used_ bytes of working_, whose size is its
  // capacity, so that a line is written with one check for room instead of
  // one for each of its pieces.
  std::string working_;
  std::size_t used_ = 0;
};

// Throws AddressError, naming `address`, for a block that does not lie
// inside the worksheet: a block from elsewhere than our own parser might
// have any geometry.
void RequireInsideWorksheet(const BlockGeometry& block,
                            std::string_view address);

// Tells `step`, when there is one, "Rows completed: `number`".
void TellStep(const XmlBuilder::StepCallback& step, std::int32_t number);

// Appends the tag name a header cell stands for: its text with every space
// removed, without markup when escaping, and made a valid name when asked.
void AppendHeaderTag(const CellValue& header, const ExportOptions& options,
                     std::string& out);

// The tag name of a header cell, as a text of its own.
std::string HeaderTag(const CellValue& header, const ExportOptions& options);

// Row numbers as tags: decimal digits, no sign or separators; a valid name
// cannot start with a digit, so valid names have "_" in front. (Column
// letters are valid names as they are.)
struct RowNumberTag {
  RowNumberTag(std::int32_t row, const ExportOptions& options);
  std::string_view view() const { return std::string_view(digits, length); }
  char digits[16];
  std::ptrdiff_t length;
};

}  // namespace kestrilo
