// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/model/cell_source.h"
#include "engine/writing/conversion_observer.h"
#include "engine/writing/export_options.h"
#include "engine/writing/xml_sink.h"

namespace kestrilo {

/// Converts the block at `address` of the source's active sheet to XML text
/// under `options`, choosing the layout from the records flag and the two
/// header flags, and hands the text to `sink` piece by piece as it is made:
/// memory stays small whatever the size of the block. `observer`, when
/// given, hears of each outer step and of the busy time. Returns the XML
/// Schema of the text when the options ask for one (the records layout),
/// else empty. Throws AddressError for an address that names no block,
/// RecordShapeError for records headers that give no shape, and whatever
/// the sink throws.
std::string WriteBlockXml(const CellSource& application,
                          const ExportOptions& options,
                          std::string_view address, XmlSink& sink,
                          ConversionObserver* observer = nullptr);

/// The same text, whole, in memory.
std::string BlockToXml(const CellSource& application,
                       const ExportOptions& options, std::string_view address);

/// The start of the XML BlockToXml would give, and its size, built without
/// keeping more than the start: a preview of a million cells costs little
/// memory.
struct XmlPreview {
  /// The first lines (at most the number asked for), each ending in CR LF.
  std::string head;
  /// All lines and bytes of the whole text.
  std::int64_t line_count = 0;
  std::int64_t byte_count = 0;
};

/// The preview of BlockToXml(application, options, address): its first
/// `max_lines` lines and the size of the whole.
XmlPreview BlockPreview(const CellSource& application,
                        const ExportOptions& options, std::string_view address,
                        int max_lines);

/// The four layouts. The flat ones (header row, header column) ignore
/// `options.row_first`.
std::string XmlWithBothHeaders(const CellSource& application,
                               const ExportOptions& options,
                               std::string_view address);
std::string XmlWithoutHeaders(const CellSource& application,
                              const ExportOptions& options,
                              std::string_view address);
std::string XmlWithHeaderRow(const CellSource& application,
                             const ExportOptions& options,
                             std::string_view address);
std::string XmlWithHeaderColumn(const CellSource& application,
                                const ExportOptions& options,
                                std::string_view address);

}  // namespace kestrilo
