#pragma once

#include <optional>
#include <string>

#include "engine/cell_source.h"

namespace kestrilo {

/// One open workbook in the spreadsheet component: what the export run does
/// with the "application instance" it opens per workbook. Its cells (of the
/// active sheet), status text and pointer are those the XML writer uses.
class SpreadsheetInstance : public CellSource {
 public:
  /// Workbooks.Count: the number of workbooks open in this instance.
  virtual int WorkbooksCount() const = 0;
  /// Shows (true) or hides the instance's window.
  virtual void SetVisible(bool visible) = 0;
  /// PromptForRange: asks the user to highlight a block of cells with the
  /// mouse; the block's absolute address (such as "$B$2:$D$4"), or nothing
  /// when the user cancelled or the prompt failed.
  virtual std::optional<std::string> PromptForRange() = 0;
  /// Quit: closes the window and frees the workbook.
  virtual void Quit() = 0;
};

}  // namespace kestrilo
