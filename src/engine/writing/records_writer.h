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
  // One column's value in the row being written.
  struct Value {
    std::string_view text;
    SchemaType type = SchemaType::kNone;
    bool escaped = false;  // a cell's own text, which escaping must see
  };

  void WriteRow(std::int32_t row, std::span<const Cell> cells);
  void Start(std::span<const Cell> headers);
  void ReadValues(std::span<const Cell> cells);
  void MarkFilled();
  void WriteElement(int element);
  void WriteChildren(int element);
  void WriteValue(const Value& value, bool attribute);
  void PassOn();

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
  // The row being written: its values by column, the non-text ones' forms
  // (kMaxSchemaValueSize bytes a column), and by element whether anything
  // in it holds a value.
  std::vector<Value> values_;
  std::vector<std::int32_t> set_columns_;
  std::string forms_;
  std::vector<char> filled_;
  // The text made and not yet passed on to the sink.
  std::string out_;
};

}  // namespace kestrilo
