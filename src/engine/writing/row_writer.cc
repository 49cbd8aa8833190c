// SPDX-License-Identifier: MIT

#include "engine/writing/row_writer.h"

#include "engine/writing/records_writer.h"
#include "engine/writing/xml_row_writer.h"

namespace kestrilo {

bool RowWriter::Handles(const ExportOptions& options) {
  return options.records || XmlRowWriter::Handles(options);
}

std::unique_ptr<RowWriter> RowWriter::Make(const BlockGeometry& block,
                                           std::string_view address,
                                           const ExportOptions& options,
                                           XmlSink& sink,
                                           StatusCallback status) {
  if (options.records) {
    return std::make_unique<RecordsWriter>(block, address, options, sink,
                                           std::move(status));
  }
  return std::make_unique<XmlRowWriter>(block, address, options, sink,
                                        std::move(status));
}

}  // namespace kestrilo
