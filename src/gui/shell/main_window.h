#pragma once

#include <QMainWindow>
#include <memory>

class QPushButton;

namespace kestrilo::gui {

class Dialogs;
class ExportOptionsPanel;
class ExportRun;
class ExportSettings;
class FileListCommands;
class FileListModel;
class FileListView;
class PointerRule;
class TextProgressBar;
class WorkbookOpener;

/// The main window: the file list with its commands, the export options,
/// "Start Exporting To XML" and the progress bar. It lays out the controls
/// and wires them to the list, the settings, the list's commands and the
/// export run, which hold the behaviour.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  /// `opener` opens the workbooks of an export run; `dialogs` shows every
  /// message, prompt and chooser. Both must outlive the window.
  MainWindow(WorkbookOpener& opener, Dialogs& dialogs,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  FileListModel& list() const { return *list_; }
  FileListView& list_view() const { return *list_view_; }
  FileListCommands& list_commands() const { return *list_commands_; }
  ExportSettings& settings() const { return *settings_; }
  /// The run, until the window closes.
  ExportRun* run() const { return run_.get(); }
  PointerRule& pointer() const { return *pointer_; }
  TextProgressBar& progress_bar() const { return *progress_bar_; }

 protected:
  /// Closing the main window ends the program: a run under way ends with
  /// it, closing the workbook it has open.
  void closeEvent(QCloseEvent* event) override;

 private:
  QWidget* BuildListButtons();
  QWidget* BuildRunButtons();
  void ApplyFonts();
  void SetTabOrder();
  void WatchPointer();
  void Connect();

  Dialogs& dialogs_;
  FileListModel* list_ = nullptr;
  ExportSettings* settings_ = nullptr;
  std::unique_ptr<FileListCommands> list_commands_;
  std::unique_ptr<ExportRun> run_;
  PointerRule* pointer_ = nullptr;

  FileListView* list_view_ = nullptr;
  QPushButton* add_files_button_ = nullptr;
  QPushButton* add_folder_button_ = nullptr;
  QPushButton* clear_list_button_ = nullptr;
  ExportOptionsPanel* options_panel_ = nullptr;
  QPushButton* load_samples_button_ = nullptr;
  QPushButton* start_export_button_ = nullptr;
  TextProgressBar* progress_bar_ = nullptr;
};

}  // namespace kestrilo::gui
