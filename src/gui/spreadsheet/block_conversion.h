// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <string>

#include "engine/conversion/conversion_report.h"
#include "engine/model/workbook.h"
#include "engine/writing/conversion_observer.h"
#include "engine/writing/export_options.h"
#include "engine/writing/xml_sink.h"

namespace kestrilo::gui {

/// Converts the block at `address` (as the range prompt answers it) of
/// sheet `sheet` of `workbook` under `options` into `sink`, through the
/// engine's one conversion. The export run's file and the range prompt's
/// preview are both written by it, so that the preview is what gets
/// written. `max_output_bytes` 0 sets no limit.
ConversionReport ConvertBlock(const Workbook& workbook, int sheet,
                              const ExportOptions& options,
                              const std::string& address, XmlSink& sink,
                              std::uint64_t max_output_bytes,
                              ConversionObserver* observer = nullptr);

}  // namespace kestrilo::gui
