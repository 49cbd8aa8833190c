// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "engine/model/block_geometry.h"
#include "engine/model/row_sink.h"
#include "engine/writing/export_options.h"
#include "engine/writing/xml_sink.h"

namespace kestrilo {

/// A writer of a block's XML that takes the block's cells row by row, top
/// to bottom, so that a reader can stream a sheet into the sink without
/// keeping its cells: XmlRowWriter for the layouts of cells as they stand,
/// RecordsWriter for records.
///
/// Use:
///   auto writer = RowWriter::Make(block, address, options, sink);
///   for each row of the sheet, in ascending order:
///     writer->AddRow(row, cells_of_that_row);  // sorted by column
///   writer->Finish();
class RowWriter {
 public:
  /// One non-empty cell of a fed row; its text (if any) need only live
  /// until AddRow returns.
  using Cell = RowCell;
  /// Receives "Rows completed: N" as each row is written.
  using StatusCallback = std::function<void(std::string_view status)>;

  /// Whether `options` choose a layout that can be written row by row.
  static bool Handles(const ExportOptions& options);

  /// The writer for the layout `options` choose, which must be one Handles
  /// accepts, starting the XML of `block` (absolute rows and columns) in
  /// `sink`. `options` must outlive the writer. Throws AddressError, naming
  /// `address` (the block's text for the message), for a block outside the
  /// worksheet.
  static std::unique_ptr<RowWriter> Make(const BlockGeometry& block,
                                         std::string_view address,
                                         const ExportOptions& options,
                                         XmlSink& sink,
                                         StatusCallback status = {});

  virtual ~RowWriter() = default;

  /// Feeds the cells of worksheet row `row`, sorted by ascending column.
  /// Cells left out are empty; cells outside the block's columns and rows
  /// outside the block are ignored, so a whole sheet row may be given. Rows
  /// must come in ascending order; a row left out is written as empty.
  /// Throws std::invalid_argument for a row not after the previous one, and
  /// whatever the sink throws.
  virtual void AddRow(std::int32_t row, std::span<const Cell> cells) = 0;

  /// The first column whose cell `row` needs: cells left of it are never
  /// written and may be left out.
  virtual std::int32_t FirstColumnUsed(std::int32_t row) const = 0;

  /// Writes the block's remaining rows (as empty) and the closing lines. The
  /// text is complete in the sink only after Finish.
  virtual void Finish() = 0;
  /// The same for a block that turns out to end at `last_row` (no later
  /// than its own last row, and no earlier than a row fed): a writer that
  /// starts before the block's last row is known.
  virtual void FinishAt(std::int32_t last_row) = 0;

  /// After Finish: the XML Schema of the text, when the options ask for
  /// one (see ExportOptions::schema); empty otherwise.
  virtual std::string Schema() const { return {}; }
};

}  // namespace kestrilo
