// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model/block_geometry.h"
#include "engine/writing/export_options.h"
#include "engine/writing/row_writer.h"
#include "engine/writing/schema_value.h"
#include "engine/writing/short_copy.h"
#include "engine/writing/xml_sink.h"

namespace kestrilo {

class RecordSchema;
class RecordShape;

/// Writes the records layout of a block, fed row by row: the block's first
/// row gives each column's place in a record (see RecordShape), and each
/// later row becomes one record inside the title element, its values in
/// XML Schema's forms (see WriteSchemaValue):
///
///   <?xml version="1.0" encoding="UTF-8"?>
///   <recipes>
///   	<recipe>
///   		<title>Turkey Dinner</title>
///   		<servings quantity="8" unit="helpings"/>
///   	</recipe>
///   </recipes>
///
/// An attribute whose cell is empty is left out, and so is an element
/// whose text, attributes and children are all empty (a blank row's record
/// too), unless the options keep empties. Memory stays flat whatever the
/// number of rows: one row's values and the shape are all it keeps, and
/// the schema, when asked for, learns from each record as it goes.
class RecordsWriter : public RowWriter {
 public:
  /// `options` must choose the records layout and outlive the writer.
  /// Nothing is written before the header row arrives (or a later one, when
  /// the header row is empty), so that headers that give no shape leave the
  /// sink untouched. Throws AddressError, naming `address`, for a block
  /// outside the worksheet.
  RecordsWriter(const BlockGeometry& block, std::string_view address,
                const ExportOptions& options, XmlSink& sink,
                StatusCallback status = {});
  ~RecordsWriter() override;
  RecordsWriter(const RecordsWriter&) = delete;
  RecordsWriter& operator=(const RecordsWriter&) = delete;

  /// Also throws RecordShapeError for a header row that gives no shape.
  void AddRow(std::int32_t row, std::span<const Cell> cells) override;
  std::int32_t FirstColumnUsed(std::int32_t /*row*/) const override {
    return block_.first_column;
  }
  void Finish() override;
  void FinishAt(std::int32_t last_row) override;
  std::string Schema() const override;

 private:
  void WriteRow(std::int32_t row, std::span<const Cell> cells);
  void Start(std::span<const Cell> headers);
  void ReadValues(std::span<const Cell> cells);
  void WriteElement(int element);
  void WriteFrame(int element);
  struct Leaf;
  bool WriteLeaf(const Leaf& leaf);
  void WriteChildren(int element);
  SchemaType WriteValue(const CellValue& value, bool attribute);

  // Where `bytes` (at most a piece's room) may be written, and the end of
  // what was: the text goes to the sink first when they would not fit.
  char* Room(std::size_t bytes);
  void Took(char* end) {
    used_ = static_cast<std::size_t>(end - buffer_.data());
  }
  void Put(std::string_view text) {
    if (text.size() > kPieceRoom) {
      PutLong(text);
      return;
    }
    Took(CopyShort(text, Room(text.size())));
  }
  void PutLong(std::string_view text);
  void PassOn();

  // Room kept beyond a chunk of text for one piece.
  static constexpr std::size_t kPieceRoom = std::size_t{32} << 10;

  BlockGeometry block_;
  const ExportOptions& options_;
  XmlSink& sink_;
  StatusCallback status_;
  std::int32_t next_row_;
  std::string title_;
  std::unique_ptr<RecordShape> shape_;
  std::unique_ptr<RecordSchema> schema_;
  // By element: the bytes that open it ("\t\t<name"), close it after its
  // text ("</name>\r\n") and after its children ("\t\t</name>\r\n"); by
  // attribute declaration: " name=\"".
  std::vector<std::string> openings_;
  std::vector<std::string> closings_;
  std::vector<std::string> block_closings_;
  std::vector<std::string> attribute_openings_;
  // By element: the bytes before its text when it has no attributes or
  // children ("\t\t<name>"); and then, side by side for the commonest line,
  // what writing it takes.
  std::vector<std::string> leaf_openings_;
  struct Leaf {
    std::string_view opening;
    std::string_view closing;
    int column = -1;  // -1: not text alone
    int declaration = 0;
  };
  std::vector<Leaf> leaves_;
  // By column: the element whose text or attribute it gives.
  std::vector<int> owners_;
  // The row being written: its values by column, each valid where its mark
  // is the row's (so that no row need clear them), and by element whether
  // anything in it holds a value.
  const CellValue& ValueAt(int column) const {
    static const CellValue kEmpty;
    return marks_[column] == row_mark_ ? values_[column] : kEmpty;
  }
  std::vector<CellValue> values_;
  std::vector<std::uint32_t> marks_;
  std::uint32_t row_mark_ = 0;
  std::vector<char> filled_;
  // By declaration: the children of the element being written, for the
  // schema.
  std::vector<std::int64_t> counts_;
  // The text made and not yet passed on to the sink: the first used_ bytes
  // of buffer_, whose size is its capacity.
  std::string buffer_;
  std::size_t used_ = 0;
};

}  // namespace kestrilo
