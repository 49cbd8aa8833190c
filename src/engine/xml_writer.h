#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/cell_source.h"
#include "engine/export_options.h"

namespace kestrilo {

/// Converts the block at `address` of the source's active sheet to XML text
/// under `options`, choosing the layout from the two header flags. Throws
/// AddressError for an address that names no block.
std::string BlockToXml(CellSource& application, const ExportOptions& options,
                       std::string_view address);

/// The four layouts. The flat ones (header row, header column) ignore
/// `options.row_first`.
std::string XmlWithBothHeaders(CellSource& application,
                               const ExportOptions& options,
                               std::string_view address);
std::string XmlWithoutHeaders(CellSource& application,
                              const ExportOptions& options,
                              std::string_view address);
std::string XmlWithHeaderRow(CellSource& application,
                             const ExportOptions& options,
                             std::string_view address);
std::string XmlWithHeaderColumn(CellSource& application,
                                const ExportOptions& options,
                                std::string_view address);

/// The letters of a column number, 1 to 16384: A ... Z, AA ... XFD. Empty
/// for numbers outside that range.
std::string ColumnLetters(std::int32_t column);

}  // namespace kestrilo
