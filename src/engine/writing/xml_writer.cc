// SPDX-License-Identifier: MIT

#include "engine/writing/xml_writer.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/writing/row_writer.h"
#include "engine/writing/string_sink.h"
#include "engine/writing/tag_table.h"
#include "engine/writing/xml_builder.h"

namespace kestrilo {

namespace {

// Counts the text into a preview, keeping only its first lines.
class PreviewSink : public XmlSink {
 public:
  PreviewSink(XmlPreview& preview, int max_lines)
      : preview_(preview), max_lines_(max_lines) {}

  void Write(std::string_view text) override {
    const std::int64_t wanted = max_lines_ - preview_.line_count;
    if (wanted > 0) {
      std::size_t end = 0;
      for (std::int64_t kept = 0; kept < wanted && end < text.size(); ++kept) {
        end = text.find('\n', end);
        end = end == std::string_view::npos ? text.size() : end + 1;
      }
      preview_.head.append(text.substr(0, end));
    }
    preview_.line_count += std::count(text.begin(), text.end(), '\n');
    preview_.byte_count += static_cast<std::int64_t>(text.size());
  }

 private:
  XmlPreview& preview_;
  int max_lines_;
};

// The source's side of a conversion: its geometry and cells, and the
// observer that hears of each outer step.
struct Conversion {
  Conversion(const CellSource& source, std::string_view address,
             ConversionObserver* observer)
      : source(source), observer(observer), block(source.Geometry(address)) {}

  XmlBuilder::StepCallback Steps() const {
    if (observer == nullptr) return {};
    return [observer = observer](std::string_view status) {
      observer->Progress(status);
    };
  }

  const CellSource& source;
  ConversionObserver* observer;
  BlockGeometry block;
};

// The row-wise layouts read the source row by row, leaving out empty cells,
// and feed the rows to the writer that readers can feed directly. Returns
// the schema, when the layout makes one.
std::string FeedRows(Conversion& conversion, const ExportOptions& options,
                     std::string_view address, XmlSink& sink) {
  const std::unique_ptr<RowWriter> writer = RowWriter::Make(
      conversion.block, address, options, sink, conversion.Steps());
  const BlockGeometry& block = conversion.block;
  std::vector<RowCell> cells;
  for (std::int32_t row = block.first_row; row <= block.last_row(); ++row) {
    cells.clear();
    for (std::int32_t column = writer->FirstColumnUsed(row);
         column <= block.last_column(); ++column) {
      const CellValue value = conversion.source.Value(row, column);
      if (!value.is_empty()) cells.push_back({column, value});
    }
    writer->AddRow(row, cells);
  }
  writer->Finish();
  return writer->Schema();
}

// The column-first layouts: both headers, or none. With headers, the first
// column names the rows and the first row the columns; without, row numbers
// and column letters do.
void ColumnFirst(Conversion& conversion, const ExportOptions& options,
                 std::string_view address, XmlSink& sink) {
  XmlBuilder xml(conversion.block, address, options, sink, conversion.Steps());
  const CellSource& source = conversion.source;
  const bool headers = options.header_row;
  const std::int32_t first_row = headers ? xml.r0() + 1 : xml.r0();
  const std::int32_t first_column = headers ? xml.c0() + 1 : xml.c0();
  TagTable rows(first_row);
  for (std::int32_t row = first_row; headers && row <= xml.r1(); ++row) {
    AppendHeaderTag(source.Value(row, xml.c0()), options, rows.chars());
    rows.EndTag();
  }
  for (std::int32_t column = first_column; column <= xml.c1(); ++column) {
    xml.BeginStep(column);
    const std::string tag =
        headers ? HeaderTag(source.Value(xml.r0(), column), options)
                : ColumnLetters(column);
    xml.OpenOuter(tag);
    for (std::int32_t row = first_row; row <= xml.r1(); ++row) {
      const CellValue value = source.Value(row, column);
      if (headers) {
        xml.NestedCell(rows[row], value);
      } else {
        xml.NestedCell(RowNumberTag(row, options).view(), value);
      }
    }
    xml.CloseOuter(tag);
  }
  xml.Finish();
}

std::string WriteLayout(const CellSource& application,
                        const ExportOptions& options, std::string_view address,
                        XmlSink& sink, ConversionObserver* observer = nullptr) {
  Conversion conversion(application, address, observer);
  if (RowWriter::Handles(options)) {
    return FeedRows(conversion, options, address, sink);
  }
  ColumnFirst(conversion, options, address, sink);
  return {};
}

std::string LayoutText(const CellSource& application,
                       const ExportOptions& options, std::string_view address) {
  StringSink sink;
  WriteLayout(application, options, address, sink);
  return sink.Take();
}

ExportOptions WithHeaders(ExportOptions options, bool row, bool column) {
  options.header_row = row;
  options.header_column = column;
  return options;
}

}  // namespace

std::string WriteBlockXml(const CellSource& application,
                          const ExportOptions& options,
                          std::string_view address, XmlSink& sink,
                          ConversionObserver* observer) {
  return WriteLayout(application, options, address, sink, observer);
}

std::string BlockToXml(const CellSource& application,
                       const ExportOptions& options, std::string_view address) {
  return LayoutText(application, options, address);
}

std::string XmlWithBothHeaders(const CellSource& application,
                               const ExportOptions& options,
                               std::string_view address) {
  return LayoutText(application, WithHeaders(options, true, true), address);
}

std::string XmlWithoutHeaders(const CellSource& application,
                              const ExportOptions& options,
                              std::string_view address) {
  return LayoutText(application, WithHeaders(options, false, false), address);
}

std::string XmlWithHeaderRow(const CellSource& application,
                             const ExportOptions& options,
                             std::string_view address) {
  return LayoutText(application, WithHeaders(options, true, false), address);
}

std::string XmlWithHeaderColumn(const CellSource& application,
                                const ExportOptions& options,
                                std::string_view address) {
  return LayoutText(application, WithHeaders(options, false, true), address);
}

XmlPreview BlockPreview(const CellSource& application,
                        const ExportOptions& options, std::string_view address,
                        int max_lines) {
  XmlPreview preview;
  PreviewSink sink(preview, max_lines);
  WriteLayout(application, options, address, sink);
  return preview;
}

}  // namespace kestrilo
