// SPDX-License-Identifier: MIT

#pragma once

#include <string>

#include "engine/conversion/conversion_report.h"
#include "engine/conversion/conversion_request.h"
#include "engine/model/workbook.h"
#include "engine/writing/conversion_observer.h"
#include "engine/writing/xml_sink.h"

namespace kestrilo {

/// The one conversion both front ends ask for: the block a request names,
/// of a workbook, to XML in `sink`.
///
/// The block is resolved by ResolveBlock's rules. Whole rows, whole columns
/// and the used range stand for the cells they hold (ClipToUsedRange); a
/// block that stands for no cells is skipped (nothing is written, the
/// report says why), and a block given by address or name that holds no
/// cells is written with a warning.
///
/// The road is chosen before anything is written. The column-first layouts
/// read the sheet into the model. The row-wise ones stream: a block known
/// beforehand goes from the reader to the writer row by row; a block that
/// depends on the used range is kept compactly (on disk past a few
/// megabytes) until the sheet has been read once, then written. A file
/// that lists rows out of order is read a second time, kept that way; a
/// sink that cannot take back its text is never written that early.
///
/// `observer`, when given, hears of the progress and the busy time. Throws
/// BlockError for a block the workbook lacks, WorkbookError for a file it
/// cannot read (naming it), and whatever the sink throws.
ConversionReport ConvertFile(const std::string& path,
                             const ConversionRequest& request, XmlSink& sink,
                             ConversionObserver* observer = nullptr);

/// The same for a workbook already read whole (the workbook window's).
ConversionReport ConvertWorkbook(const Workbook& workbook,
                                 const ConversionRequest& request,
                                 XmlSink& sink,
                                 ConversionObserver* observer = nullptr);

}  // namespace kestrilo
