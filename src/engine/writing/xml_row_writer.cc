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

  CellValue At(std::int32_t column) {
    while (next_ < cells_.size() && cells_[next_].column < column) ++next_;
    if (next_ < cells_.size() && cells_[next_].column == column) {
      return cells_[next_].value;
    }
    return CellValue::Empty();
  }

 private:
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
    columns_ = std::make_unique<TagTable>(xml_->c0());
    for (std::int32_t column = xml_->c0(); column <= xml_->c1(); ++column) {
      AppendColumnLetters(column, columns_->chars());
      columns_->EndTag();
    }
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

void XmlRowWriter::Finish() {
  while (next_row_ <= xml_->r1()) WriteRow(next_row_++, {});
  xml_->Finish();
}

void XmlRowWriter::WriteRow(std::int32_t row, std::span<const Cell> cells) {
  Cursor cursor(cells);
  const bool header_line =
      row == xml_->r0() &&
      (layout_ == Layout::kHeaderRow || layout_ == Layout::kBothHeaders);
  if (!header_line) {
    WriteDataRow(row, cursor);
    return;
  }
  const std::int32_t first = FirstColumnUsed(row);
  columns_ = std::make_unique<TagTable>(first);
  for (std::int32_t column = first; column <= xml_->c1(); ++column) {
    AppendHeaderTag(cursor.At(column), xml_->options(), columns_->chars());
    columns_->EndTag();
  }
}

void XmlRowWriter::WriteDataRow(std::int32_t row, Cursor& cells) {
  XmlBuilder& xml = *xml_;
  xml.BeginStep(row);
  switch (layout_) {
    case Layout::kHeaderRow:
      for (std::int32_t column = xml.c0(); column <= xml.c1(); ++column) {
        xml.FlatCell((*columns_)[column], cells.At(column));
      }
      break;
    case Layout::kHeaderColumn: {
      const std::string tag = HeaderTag(cells.At(xml.c0()), xml.options());
      for (std::int32_t column = xml.c0() + 1; column <= xml.c1(); ++column) {
        xml.FlatCell(tag, cells.At(column));
      }
      break;
    }
    case Layout::kNoHeaders: {
      const RowNumberTag tag(row, xml.options());
      xml.OpenOuter(tag.view());
      for (std::int32_t column = xml.c0(); column <= xml.c1(); ++column) {
        xml.NestedCell((*columns_)[column], cells.At(column));
      }
      xml.CloseOuter(tag.view());
      break;
    }
    case Layout::kBothHeaders: {
      const std::string tag = HeaderTag(cells.At(xml.c0()), xml.options());
      xml.OpenOuter(tag);
      for (std::int32_t column = xml.c0() + 1; column <= xml.c1(); ++column) {
        xml.NestedCell((*columns_)[column], cells.At(column));
      }
      xml.CloseOuter(tag);
      break;
    }
  }
}

}  // namespace kestrilo
