// SPDX-License-Identifier: MIT

#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <memory>

#include "gui/filelist/file_list_commands.h"
#include "gui/filelist/file_list_model.h"
#include "gui/run/export_settings.h"
#include "gui/shell/help_window.h"

namespace kestrilo::gui {

class Dialogs;
class ExportOptionsPanel;
class ExportRun;
class FileListView;
class PointerRule;
class TextProgressBar;
class WorkbookOpener;

/// The main window: a menu bar, the file list with its commands, the export
/// options, "Start Exporting To XML" and the progress bar. It lays out the
/// controls and wires them to the list, the settings, the list's commands
/// and the export run, which hold the behaviour. It opens where and as
/// large as it was left, else large enough for eight entries of the list,
/// and never shows fewer than four.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  /// `opener` opens the workbooks of an export run; `dialogs` shows every
  /// message, prompt and chooser. Both must outlive the window.
  MainWindow(WorkbookOpener& opener, Dialogs& dialogs,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  FileListModel& list() { return list_; }
  FileListView& list_view() const { return *list_view_; }
  FileListCommands& list_commands() { return list_commands_; }
  ExportSettings& settings() { return settings_; }
  /// The run, until the window closes.
  ExportRun* run() const { return run_.get(); }
  PointerRule& pointer() const { return *pointer_; }
  TextProgressBar& progress_bar() const { return *progress_bar_; }
  /// The help window, once Help > Contents has opened it.
  HelpWindow* help_window() const { return help_window_; }
  /// Entries of the list the window shows at the least, and when it opens
  /// for the first time.
  static constexpr int kLeastEntries = 4;
  static constexpr int kOpeningEntries = 8;

 protected:
  /// Closing the main window ends the program: a run under way ends with
  /// it, closing the workbook it has open.
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void ShowHelp();
  void ShowAbout();
  void PlaceWindow();
  QWidget* BuildListButtons();
  QWidget* BuildRunButtons();
  void ApplyFonts();
  void SetTabOrder();
  void WatchPointer();
  void Connect();

  Dialogs& dialogs_;
  PointerRule* pointer_;
  FileListModel list_;
  ExportSettings settings_;
  FileListCommands list_commands_;
  std::unique_ptr<ExportRun> run_;

  FileListView* list_view_{};
  QPushButton* add_files_button_{};
  QPushButton* add_folder_button_{};
  QPushButton* clear_list_button_{};
  ExportOptionsPanel* options_panel_{};
  QPushButton* load_samples_button_{};
  QPushButton* start_export_button_{};
  TextProgressBar* progress_bar_{};
  QPointer<HelpWindow> help_window_;
};

}  // namespace kestrilo::gui
