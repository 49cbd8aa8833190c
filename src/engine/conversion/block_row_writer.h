// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/model/block_geometry.h"
#include "engine/model/row_sink.h"
#include "engine/writing/conversion_observer.h"
#include "engine/writing/export_options.h"
#include "engine/writing/row_writer.h"
#include "engine/writing/xml_sink.h"

namespace kestrilo {

/// Writes the XML of one block from the rows a reader (or a spool) sends:
/// rows and cells outside the block are passed over. Nothing is written
/// until the first row arrives, so that a reader that fails before its
/// first row leaves the sink untouched.
class BlockRowWriter : public RowSink {
 public:
  /// Thrown by AddRow for a row of the block that comes after a later
  /// one, which the writer cannot take.
  struct RowsOutOfOrder {};

  /// `options` must choose a row-wise layout (RowWriter::Handles) and
  /// outlive the writer.
  BlockRowWriter(const BlockGeometry& block, const ExportOptions& options,
                 XmlSink& sink, ConversionObserver* observer);
  ~BlockRowWriter() override;

  void AddRow(std::int32_t row, std::span<const RowCell> cells) override;
  /// Writes the rest of the block and the closing lines.
  void Finish();
  /// The same for a block that turns out to end at `last_row`.
  void FinishAt(std::int32_t last_row);

  /// Whether any cell of the block held a value.
  bool any_cell() const { return any_cell_; }
  /// The first cell written whose text holds characters XML cannot hold
  /// ("C5"); empty when there was none.
  const std::string& first_unholdable() const { return first_unholdable_; }
  /// After Finish: the schema the layout made, if any (RowWriter::Schema).
  std::string schema() const { return writer_ ? writer_->Schema() : ""; }

 private:
  RowWriter& Writer();
  // Whether a cell of `cells` lies within the block's columns.
  bool AnyInBlock(std::span<const RowCell> cells) const;
  bool IsHeader(std::int32_t row, std::int32_t column) const;
  // Notes the first cell of `cells` whose text XML cannot hold, among the
  // headers or among the other cells.
  void NoteUnholdable(std::int32_t row, std::span<const RowCell> cells,
                      bool headers);

  BlockGeometry block_;
  const ExportOptions& options_;
  XmlSink& sink_;
  ConversionObserver* observer_;
  std::unique_ptr<RowWriter> writer_;
  std::int32_t last_row_ = 0;
  bool any_cell_ = false;
  std::string first_unholdable_;
};

}  // namespace kestrilo
