// SPDX-License-Identifier: MIT

#include "engine/writing/xml_row_writer.h"

#include <stdexcept>
#include <utility>

#include "engine/writing/tag_table.h"
#include "engine/writing/xml_builder.h"

namespace kestrilo {

// Walks a fed row's cells along the block's columns, left to right: a
// column without a cell of its own is empty.
class XmlRowWriter::Cursor {
 public:
  explicit Cursor(std::span<const Cell> cells) : cells_(cells) {}

  const CellValue& At(std::int32_t column) {
    while (next_ < cells_.size() && cells_[next_].column < column) ++next_;
    if (next_ < cells_.size() && cells_[next_].column == column) {
      return cells_[next_].value;
    }
    return kEmpty;
  }

 private:
  static inline const CellValue kEmpty;
  std::span<const Cell> cells_;
  std::size_t next_ = 0;
};

bool XmlRowWriter::Handles(const ExportOptions& options) {
  return options.header_row != options.header_column || options.row_first;
}

XmlRowWriter::XmlRowWriter(const BlockGeometry& block, std::string_view address,
                           const ExportOptions& options, XmlSink& sink,
                           StatusCallback status) {
  if (!Handles(options)) {
    throw std::invalid_argument(
        "a column-first layout cannot be written row by row");
  }
  if (options.header_row && !options.header_column) {
    layout_ = Layout::kHeaderRow;
  } else if (options.header_column && !options.header_row) {
    layout_ = Layout::kHeaderColumn;
  } else {
    layout_ = options.header_row ? Layout::kBothHeaders : Layout::kNoHeaders;
  }
  xml_ = std::make_unique<XmlBuilder>(block, address, options, sink,
                                      std::move(status));
  next_row_ = xml_->r0();
  if (layout_ == Layout::kNoHeaders) {
    openings_ = std::make_unique<TagTable>(xml_->c0());
    closings_ = std::make_unique<TagTable>(xml_->c0());
    std::string letters;
    for (std::int32_t column = xml_->c0(); column <= xml_->c1(); ++column) {
      letters.clear();
      AppendColumnLetters(column, letters);
      AddColumnFrame(letters);
    }
    ListFrames(xml_->c0());
  }
}

XmlRowWriter::~XmlRowWriter() = default;

std::int32_t XmlRowWriter::FirstColumnUsed(std::int32_t row) const {
  const bool corner = layout_ == Layout::kBothHeaders && row == xml_->r0();
  return corner ? xml_->c0() + 1 : xml_->c0();
}

void XmlRowWriter::AddRow(std::int32_t row, std::span<const Cell> cells) {
  if (row < next_row_ && row >= xml_->r0()) {
    throw std::invalid_argument("rows must be fed in ascending order");
  }
  if (row < xml_->r0() || row > xml_->r1()) return;
  while (next_row_ < row) WriteRow(next_row_++, {});
  WriteRow(row, cells);
  next_row_ = row + 1;
}

void XmlRowWriter::Finish() { FinishAt(xml_->r1()); }

void XmlRowWriter::FinishAt(std::int32_t last_row) {
  while (next_row_ <= last_row) WriteRow(next_row_++, {});
  xml_->Finish();
}

void XmlRowWriter::WriteRow(std::int32_t row, std::span<const Cell> cells) {
  const bool header_line =
      row == xml_->r0() &&
      (layout_ == Layout::kHeaderRow || layout_ == Layout::kBothHeaders);
  if (!header_line) {
    WriteDataRow(row, cells);
    return;
  }
  Cursor cursor(cells);
  const std::int32_t first = FirstColumnUsed(row);
  openings_ = std::make_unique<TagTable>(first);
  closings_ = std::make_unique<TagTable>(first);
  std::string tag;
  for (std::int32_t column = first; column <= xml_->c1(); ++column) {
    tag.clear();
    AppendHeaderTag(cursor.At(column), xml_->options(), tag);
    AddColumnFrame(tag);
  }
  ListFrames(first);
}

void XmlRowWriter::AddColumnFrame(std::string_view tag) {
  xml_->AppendCellOpening(layout_ != Layout::kHeaderRow, tag,
                          openings_->chars());
  openings_->EndTag();
  XmlBuilder::AppendCellClosing(tag, closings_->chars());
  closings_->EndTag();
}

void XmlRowWriter::ListFrames(std::int32_t first) {
  frames_.clear();
  for (std::int32_t column = first; column <= xml_->c1(); ++column) {
    frames_.push_back({(*openings_)[column], (*closings_)[column]});
  }
}

// The cells of a data row from the first column with a frame of its own.
void XmlRowWriter::WriteColumnCells(std::span<const Cell> cells) {
  XmlBuilder& xml = *xml_;
  Cursor cursor(cells);
  std::int32_t column = xml.c1() - static_cast<std::int32_t>(frames_.size());
  for (const Frame& frame : frames_) {
    xml.FramedCell(frame.opening, frame.closing, cursor.At(++column));
  }
}

void XmlRowWriter::WriteDataRow(std::int32_t row, std::span<const Cell> cells) {
  XmlBuilder& xml = *xml_;
  xml.BeginStep(row);
  switch (layout_) {
    case Layout::kHeaderRow:
      WriteColumnCells(cells);
      break;
    case Layout::kHeaderColumn: {
      Cursor cursor(cells);
      std::string tag;
      AppendHeaderTag(cursor.At(xml.c0()), xml.options(), tag);
      row_opening_.clear();
      xml.AppendCellOpening(false, tag, row_opening_);
      row_closing_.clear();
      XmlBuilder::AppendCellClosing(tag, row_closing_);
      for (std::int32_t column = xml.c0() + 1; column <= xml.c1(); ++column) {
        xml.FramedCell(row_opening_, row_closing_, cursor.At(column));
      }
      break;
    }
    case Layout::kNoHeaders: {
      const RowNumberTag tag(row, xml.options());
      xml.OpenOuter(tag.view());
      WriteColumnCells(cells);
      xml.CloseOuter(tag.view());
      break;
    }
    case Layout::kBothHeaders: {
      const std::string tag =
          HeaderTag(Cursor(cells).At(xml.c0()), xml.options());
      xml.OpenOuter(tag);
      WriteColumnCells(cells);
      xml.CloseOuter(tag);
      break;
    }
  }
}

}  // namespace kestrilo
