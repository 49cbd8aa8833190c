// SPDX-License-Identifier: MIT

#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/model/range_address.h"
#include "engine/model/workbook.h"
#include "engine/writing/export_options.h"
#include "gui/common/workbook_session.h"
#include "gui/spreadsheet/sheet_grid.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QStackedWidget;
class QTabBar;

namespace kestrilo::gui {

class NameBox;
class PromptDock;
class RangePrompt;

/// The window of one open workbook: its file name and the program's as
/// title, at the size and position the last one was left at, a formula line
/// with the name box (the active cell's address, the workbook's named
/// blocks to go to) and the active cell's content, the grid of the active
/// sheet, sheet tabs and a status bar with the selection's size. It reads the
/// workbook on a thread of its own and shows that it is loading meanwhile. It
/// never writes to the workbook's file; closing it only hides it, its owner
/// frees it.
class WorkbookWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit WorkbookWindow(QWidget* parent = nullptr);
  ~WorkbookWindow() override;

  /// How many workbook windows exist in this program.
  static int open_count();

  /// Starts reading the workbook at `path` in the background.
  void StartLoading(const std::string& file);
  bool loading() const { return loading_; }
  /// Waits, handling events, until loading has ended; rethrows the
  /// reader's error (WorkbookError) when the workbook could not be read.
  void WaitUntilLoaded();

  /// Shows an already read workbook.
  void SetWorkbook(std::unique_ptr<Workbook> workbook);
  /// Frees the workbook; the window shows an empty grid.
  void ReleaseWorkbook();
  const Workbook* workbook() const { return workbook_.get(); }

  /// The index of the sheet shown, or -1 without a workbook.
  int active_sheet() const { return active_sheet_; }
  void SetActiveSheet(int index);
  /// Selects an address, switching to the sheet it names; false when the
  /// workbook has no such sheet.
  bool SelectAddress(const RangeAddress& address);

  /// Shows a status-bar text. A conversion sends one per row, so the label
  /// is updated at most every few milliseconds; the last text always shows.
  void ShowStatusText(std::string_view text);
  /// Shows a pending status text at once.
  void FlushStatusText();
  QString status_text() const;
  /// The wait pointer over the window while the workbook is being read
  /// from; the sheet tabs wait too, so the active sheet stays put.
  void SetBusy(bool busy);

  /// Called once with the address confirmed, or nothing when the user
  /// cancelled (Cancel, Escape, closing the window).
  using AnswerFunction =
      std::function<void(const std::optional<std::string>& address)>;
  /// Shows the range prompt docked beside the grid, with the run's position
  /// and a live preview under `context.options`, and returns at once; the
  /// answer comes through `answered`. False (and no answer) without a
  /// workbook or while a prompt is up.
  bool BeginPrompt(const gui::PromptContext& context, AnswerFunction answered);
  /// Takes the prompt down without answering.
  void EndPrompt();
  /// New options for the preview.
  void SetPreviewOptions(const ExportOptions& options);
  /// The block the selection converts to: its first area, whole rows and
  /// columns clipped to the used range; nothing when that holds no cells.
  std::optional<BlockGeometry> SelectedBlock() const;
  /// The open range prompt, or nullptr.
  RangePrompt* range_prompt() const;

  SheetGrid* grid() const { return grid_; }
  QTabBar* sheet_tabs() const { return tabs_; }
  NameBox* name_box() const { return name_box_; }
  QLineEdit* formula_line() const { return formula_line_; }
  QString selection_size_text() const;

 signals:
  /// Loading ended, read or not.
  void LoadFinished();
  void RangePromptShown();
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  QWidget* CreateFormulaBar();
  QWidget* CreateLoadingPage();
  QWidget* CreateTabRow();
  void RestoreGeometry();
  void AddKeys();
  /// Goes `step` tabs on, when there is a tab there.
  void StepSheet(int step);
  /// Gives the keyboard to the part of the window `step` parts on: the
  /// grid, the sheet tabs, the range prompt when it is up, the name box.
  void StepFocus(int step);
  void FinishLoading();
  void FillTabs();
  void TabChosen(int tab);
  void ShowActiveCell();
  void NameBoxEntered(const QString& text);
  void NamePicked(int name_index);
  void SelectionChanged();
  void ShowSelectionSize();

  SheetGrid* grid_;
  QTabBar* tabs_;
  NameBox* name_box_;
  QLineEdit* formula_line_;
  QStackedWidget* pages_;
  QLabel* loading_label_;
  QProgressBar* loading_bar_;
  QLabel* status_label_;
  QLabel* selection_size_;
  PromptDock* prompt_dock_;

  std::unique_ptr<Workbook> workbook_;
  int active_sheet_ = -1;
  // The selection each sheet was left with.
  std::map<int, SheetGrid::Selection> selections_;
  // The name box shows a text it refused, and the status bar why.
  bool name_refused_ = false;
  std::vector<int> tab_sheets_;  // the sheet index of each tab

  QString path_;
  bool loading_ = false;
  std::thread loader_;
  std::mutex load_mutex_;
  std::unique_ptr<Workbook> loaded_;
  std::exception_ptr load_error_;

  std::string pending_status_;
  bool status_pending_ = false;
  QElapsedTimer status_clock_;
  QTimer status_timer_;
};

}  // namespace kestrilo::gui
