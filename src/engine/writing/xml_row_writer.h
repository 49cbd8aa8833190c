// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model/block_geometry.h"
#include "engine/model/cell_value.h"
#include "engine/model/row_sink.h"
#include "engine/writing/export_options.h"
#include "engine/writing/row_writer.h"
#include "engine/writing/xml_sink.h"

namespace kestrilo {

class TagTable;
class XmlBuilder;

/// Writes the XML of a block whose cells arrive row by row, top to bottom,
/// instead of being looked up in a CellSource: a reader can stream a sheet
/// into the sink without keeping its cells. Only the layouts that walk the
/// block row by row can be fed this way (see Handles): header row, header
/// column, and both headers or none with the hierarchy row first. The bytes
/// are those BlockToXml gives for a source holding the same cells.
///
/// Use:
///   XmlRowWriter writer(block, options, sink);
///   for each row of the sheet, in ascending order:
///     writer.AddRow(row, cells_of_that_row);  // sorted by column
///   writer.Finish();
class XmlRowWriter : public RowWriter {
 public:
  /// Whether `options` choose a layout that can be fed row by row.
  static bool Handles(const ExportOptions& options);

  /// Starts the XML of `block` (absolute rows and columns) in `sink`: the
  /// title line is written at once. `options` must outlive the writer.
  /// Throws std::invalid_argument for options that Handles refuses, and
  /// AddressError, naming `address` (the block's text for the message), for
  /// a block outside the worksheet.
  XmlRowWriter(const BlockGeometry& block, std::string_view address,
               const ExportOptions& options, XmlSink& sink,
               StatusCallback status = {});
  ~XmlRowWriter() override;
  XmlRowWriter(const XmlRowWriter&) = delete;
  XmlRowWriter& operator=(const XmlRowWriter&) = delete;

  /// Feeds the cells of worksheet row `row`, sorted by ascending column.
  /// Cells left out are empty; cells outside the block's columns and rows
  /// outside the block are ignored, so a whole sheet row may be given. Rows
  /// must come in ascending order; a row left out is written as empty.
  /// Throws std::invalid_argument for a row not after the previous one, and
  /// whatever the sink throws.
  void AddRow(std::int32_t row, std::span<const Cell> cells) override;

  /// The first column whose cell `row` needs: cells left of it (the corner
  /// of a block with both headers) are never written and may be left out.
  std::int32_t FirstColumnUsed(std::int32_t row) const override;

  /// Writes the block's remaining rows (as empty) and the title's closing
  /// line. The text is complete in the sink only after Finish.
  void Finish() override;
  /// The same for a block that turns out to end at `last_row` (no later
  /// than its own last row, and no earlier than a row fed): a writer that
  /// starts before the block's last row is known.
  void FinishAt(std::int32_t last_row) override;

 private:
  enum class Layout { kHeaderRow, kHeaderColumn, kNoHeaders, kBothHeaders };
  class Cursor;

  void WriteRow(std::int32_t row, std::span<const Cell> cells);
  void WriteDataRow(std::int32_t row, std::span<const Cell> cells);
  // The opening and closing of one column's cells.
  struct Frame {
    std::string_view opening;
    std::string_view closing;
  };

  void AddColumnFrame(std::string_view tag);
  void ListFrames(std::int32_t first);
  void WriteColumnCells(std::span<const Cell> cells);

  Layout layout_;
  std::unique_ptr<XmlBuilder> xml_;
  // The bytes around each of the block's cells, by column: the openings
  // and closings of the tags that header texts or column letters give.
  std::unique_ptr<TagTable> openings_;
  std::unique_ptr<TagTable> closings_;
  // Views of those, one for each column from the first used.
  std::vector<Frame> frames_;
  // Those of the row being written, when the header column names its cells.
  std::string row_opening_;
  std::string row_closing_;
  std::int32_t next_row_;
};

}  // namespace kestrilo
