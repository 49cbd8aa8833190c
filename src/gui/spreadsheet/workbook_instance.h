#pragma once

#include <QElapsedTimer>
#include <memory>

#include "gui/spreadsheet/spreadsheet_instance.h"

namespace kestrilo {

class Workbook;
class WorkbookWindow;

/// A SpreadsheetInstance over a workbook window: the export run's handle on
/// one opened workbook. Its cells are those of the window's active sheet;
/// status texts and the pointer go to the window. Quitting (or destroying
/// the instance) closes the window and frees the workbook.
class WorkbookInstance : public SpreadsheetInstance {
 public:
  explicit WorkbookInstance(std::unique_ptr<WorkbookWindow> window);
  ~WorkbookInstance() override;

  int WorkbooksCount() const override;
  void SetVisible(bool visible) override;
  std::optional<std::string> PromptForRange() override;
  void Quit() override;

  /// The first area of the address, on the active sheet. Throws
  /// AddressError for a malformed address or one naming another sheet.
  BlockGeometry Geometry(std::string_view address) const override;
  CellValue Value(std::int32_t row, std::int32_t column) const override;
  void SetStatusText(std::string_view text) override;
  void SetWaitPointer(bool wait) override;
  /// Lets the window repaint and take input, at most every few
  /// milliseconds: a conversion calls this once per row.
  void ProcessEvents() override;

  /// The window, or nullptr after Quit.
  WorkbookWindow* window() const { return window_.get(); }

 private:
  /// The open workbook; throws std::runtime_error after Quit.
  const Workbook& OpenWorkbook() const;

  std::unique_ptr<WorkbookWindow> window_;
  QElapsedTimer events_clock_;
};

}  // namespace kestrilo
