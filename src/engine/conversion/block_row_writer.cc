// SPDX-License-Identifier: MIT

#include "engine/conversion/block_row_writer.h"

#include "engine/model/column_letters.h"
#include "engine/model/range_address.h"
#include "engine/writing/cell_text.h"

namespace kestrilo {

BlockRowWriter::BlockRowWriter(const BlockGeometry& block,
                               const ExportOptions& options, XmlSink& sink,
                               ConversionObserver* observer)
    : block_(block), options_(options), sink_(sink), observer_(observer) {}

BlockRowWriter::~BlockRowWriter() = default;

RowWriter& BlockRowWriter::Writer() {
  if (!writer_) {
    RowWriter::StatusCallback status;
    if (observer_ != nullptr) {
      status = [observer = observer_](std::string_view text) {
        observer->Progress(text);
      };
    }
    writer_ =
        RowWriter::Make(block_, FormatArea(block_), options_, sink_, status);
  }
  return *writer_;
}

void BlockRowWriter::AddRow(std::int32_t row, std::span<const RowCell> cells) {
  if (row < block_.first_row || row > block_.last_row()) return;
  if (row <= last_row_) throw RowsOutOfOrder{};
  last_row_ = row;
  RowWriter& writer = Writer();
  if (!any_cell_) any_cell_ = AnyInBlock(cells);
  const bool look = options_.escape_text && first_unholdable_.empty();
  // Headers become tags; the cells' texts are escaped, which counts what it
  // replaces: only a row that replaced some is looked at again.
  if (look && (options_.header_column ||
               (options_.header_row && row == block_.first_row))) {
    NoteUnholdable(row, cells, true);
  }
  const std::uint64_t replaced = ReplacedCharacterCount();
  writer.AddRow(row, cells);
  if (look && ReplacedCharacterCount() != replaced) {
    NoteUnholdable(row, cells, false);
  }
}

bool BlockRowWriter::AnyInBlock(std::span<const RowCell> cells) const {
  for (const RowCell& cell : cells) {
    if (cell.column >= block_.first_column) {
      return cell.column <= block_.last_column();
    }
  }
  return false;
}

bool BlockRowWriter::IsHeader(std::int32_t row, std::int32_t column) const {
  return (options_.header_row && row == block_.first_row) ||
         (options_.header_column && column == block_.first_column);
}

void BlockRowWriter::NoteUnholdable(std::int32_t row,
                                    std::span<const RowCell> cells,
                                    bool headers) {
  const std::int32_t written_from = writer_->FirstColumnUsed(row);
  for (const RowCell& cell : cells) {
    if (cell.column < written_from || cell.column > block_.last_column() ||
        IsHeader(row, cell.column) != headers) {
      continue;
    }
    if (cell.value.kind == CellKind::kText &&
        HoldsCharactersXmlCannot(cell.value.text)) {
      first_unholdable_ = ColumnLetters(cell.column) + std::to_string(row);
      return;
    }
  }
}

void BlockRowWriter::Finish() { Writer().Finish(); }

void BlockRowWriter::FinishAt(std::int32_t last_row) {
  Writer().FinishAt(last_row);
}

}  // namespace kestrilo
