// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/preview_counter.h"

#include "engine/model/workbook_cell_source.h"
#include "engine/writing/xml_writer.h"

namespace kestrilo::gui {

namespace {

struct CountStopped {};

// The sheet's cells until the count is stopped; then every read throws,
// which ends the writer at once, whatever layout it is in.
class StoppableCellSource : public WorkbookCellSource {
 public:
  StoppableCellSource(const Workbook& workbook, int sheet,
                      const std::atomic<bool>& stop)
      : WorkbookCellSource(workbook, sheet), stop_(stop) {}

  CellValue Value(std::int32_t row, std::int32_t column) const override {
    if (stop_.load(std::memory_order_relaxed)) throw CountStopped();
    return WorkbookCellSource::Value(row, column);
  }

 private:
  const std::atomic<bool>& stop_;
};

}  // namespace

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
      StoppableCellSource cells(workbook, sheet, stop_);
      const XmlPreview preview = BlockPreview(cells, options, address, 0);
      // Queued to this object: dropped if it is gone by then.
      QMetaObject::invokeMethod(
          this,
          [this, generation, preview] {
            if (generation == generation_) {
              emit Counted(preview.line_count, preview.byte_count);
            }
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
