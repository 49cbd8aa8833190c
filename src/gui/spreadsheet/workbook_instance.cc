#include "gui/spreadsheet/workbook_instance.h"

#include <QCoreApplication>
#include <stdexcept>

#include "engine/workbook.h"
#include "engine/workbook_cell_source.h"
#include "gui/spreadsheet/workbook_window.h"

namespace kestrilo {

namespace {

constexpr int kEventIntervalMs = 20;

}  // namespace

WorkbookInstance::WorkbookInstance(std::unique_ptr<WorkbookWindow> window)
    : window_(std::move(window)) {}

WorkbookInstance::~WorkbookInstance() = default;

int WorkbookInstance::WorkbooksCount() const {
  return window_ && window_->workbook() != nullptr ? 1 : 0;
}

void WorkbookInstance::SetVisible(bool visible) {
  if (!window_) return;
  window_->setVisible(visible);
  if (visible) {
    window_->raise();
    window_->activateWindow();
  }
}

std::optional<std::string> WorkbookInstance::PromptForRange() {
  if (!window_) return std::nullopt;
  try {
    return window_->PromptForRange();
  } catch (...) {
    return std::nullopt;
  }
}

void WorkbookInstance::Quit() {
  if (!window_) return;
  window_->hide();
  window_.reset();
}

const Workbook& WorkbookInstance::OpenWorkbook() const {
  if (!window_ || window_->workbook() == nullptr ||
      window_->active_sheet() < 0) {
    throw std::runtime_error("The workbook is not open.");
  }
  return *window_->workbook();
}

BlockGeometry WorkbookInstance::Geometry(std::string_view address) const {
  return WorkbookCellSource(OpenWorkbook(), window_->active_sheet())
      .Geometry(address);
}

CellValue WorkbookInstance::Value(std::int32_t row, std::int32_t column) const {
  return OpenWorkbook().sheet(window_->active_sheet()).Cell(row, column);
}

void WorkbookInstance::SetStatusText(std::string_view text) {
  if (window_) window_->ShowStatusText(text);
}

void WorkbookInstance::SetWaitPointer(bool wait) {
  if (window_) window_->SetBusy(wait);
}

void WorkbookInstance::ProcessEvents() {
  if (events_clock_.isValid() && events_clock_.elapsed() < kEventIntervalMs) {
    return;
  }
  QCoreApplication::processEvents();
  events_clock_.restart();
}

}  // namespace kestrilo
