// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/block_conversion.h"

#include "engine/conversion/conversion.h"

namespace kestrilo::gui {

ConversionReport ConvertBlock(const Workbook& workbook, int sheet,
                              const ExportOptions& options,
                              const std::string& address, XmlSink& sink,
                              std::uint64_t max_output_bytes,
                              ConversionObserver* observer) {
  ConversionRequest request;
  request.sheet = SheetChoice::AtIndex(sheet);
  request.block = address;
  request.options = options;
  request.max_output_bytes = max_output_bytes;
  return ConvertWorkbook(workbook, request, sink, observer);
}

}  // namespace kestrilo::gui
