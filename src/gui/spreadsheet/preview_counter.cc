// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/preview_counter.h"

#include "gui/spreadsheet/block_conversion.h"
#include "gui/spreadsheet/preview_sink.h"

namespace kestrilo::gui {

PreviewCounter::PreviewCounter(QObject* parent) : QObject(parent) {}

PreviewCounter::~PreviewCounter() { Stop(); }

void PreviewCounter::Start(const Workbook& workbook, int sheet,
                           const ExportOptions& options,
                           const std::string& address) {
  Stop();
  stop_ = false;
  const int generation = ++generation_;
  thread_ = std::thread([this, &workbook, sheet, options, address, generation] {
    try {
      // The conversion the file is written by, counted rather than kept.
      PreviewSink sink(0, false, &stop_);
      ConvertBlock(workbook, sheet, options, address, sink, 0);
      const PreviewText& counted = sink.text();
      // Queued to this object: dropped if it is gone by then.
      QMetaObject::invokeMethod(
          this,
          [this, generation, lines = counted.line_count,
           bytes = counted.byte_count] {
            if (generation == generation_) emit Counted(lines, bytes);
          },
          Qt::QueuedConnection);
    } catch (...) {
      // Stopped, or a block that gives no XML: nothing to report.
    }
  });
}

void PreviewCounter::Stop() {
  ++generation_;
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

}  // namespace kestrilo::gui
