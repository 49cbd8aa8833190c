#pragma once

#include <QCursor>
#include <QHash>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <memory>

#include "engine/export_options.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kestrilo {

class Dialogs;
class FileListCommands;
class FileListView;
class HandlerGuard;
class ProgressBar;
class SpreadsheetAutomation;

/// The main window: the file list, the export options, the command buttons
/// and the progress bar. Its start-up, pointer rule and shut-down live in
/// form1.cc, the option handlers in run/form1_options.cc and the export run
/// in run/form1_export_run.cc.
class Form1 : public QMainWindow {
  Q_OBJECT

 public:
  /// The window's mouse pointer kinds, numbered as classic Windows forms
  /// number them.
  enum class Pointer { kDefault = 0, kHourglass = 11, kCustom = 99 };

  /// `automation` opens the workbooks of an export run; `dialogs` shows
  /// every message, prompt and chooser. Both must outlive the window.
  Form1(SpreadsheetAutomation& automation, Dialogs& dialogs,
        QWidget* parent = nullptr);
  ~Form1() override;

  /// Start-up: skin, hand pointer, caption and application title, the
  /// list's column, the stored options put back, then the check that
  /// workbooks can be opened at all. Runs once, before the window shows.
  void Form_Load();
  /// True once start-up found that no workbook can be opened and told the
  /// user so: the program must end without showing the window.
  bool program_ended() const { return program_ended_; }

  /// The busy mark: the pointer is the hourglass.
  bool IsBusy() const { return pointer_ == Pointer::kHourglass; }
  void SetBusy(bool busy);
  Pointer pointer() const { return pointer_; }
  void SetPointer(Pointer pointer);
  /// The custom pointer shown over the command buttons.
  const QCursor& custom_cursor() const { return custom_cursor_; }

  FileListView& list() const { return *list_view1_; }
  /// The conversion options as the controls hold them now.
  ExportOptions ReadExportOptions() const;
  bool is_exporting() const { return is_exporting_; }
  /// The progress bar's value (0 to 100) and text line.
  int progress_value() const;
  QString progress_text() const;

 public slots:
  /// "Load Sample/Example Files".
  void PushButton1_Click();
  /// The output folder's "..." button.
  void PushButton2_Click();
  /// "Add All Excel Files In Folder".
  void PushButton5_Click();
  /// "Add Excel Files".
  void PushButton6_Click();
  /// "Clear List".
  void PushButton7_Click();
  /// "Start Exporting To XML".
  void PushButton8_Click();

 protected:
  /// Form_Unload: closing the main window ends the program.
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Building the window (form1_layout.cc).
  void CreateControls();
  void PlaceControls();
  void ApplyFonts();
  void ConnectHandlers();
  void WatchPointer(QWidget* widget, Pointer pointer);
  int Twips(int twips) const;

  // Start-up steps (form1.cc).
  void ApplySkin();
  void LoadCustomPointer();
  void RestoreHeaderMode(HandlerGuard& guard);
  void RestoreHierarchy(HandlerGuard& guard);
  void RestoreEscapeText();
  void EnsureSpreadsheetAvailable();

  // Option handlers (run/form1_options.cc).
  void Option1_Click();
  void Option2_Click();
  void Option3_Click();
  void Option4_Click();
  void Option5_Click();
  void Option6_Click();
  void HeaderModeClick(int code, bool header_row, bool header_column);
  void Check2_Click();
  void Check3_Click();
  void ApplyEnablingRule();
  void Text1_Change();
  void Text2_Change();
  void CheckEscape_Click();

  // The export run (run/form1_export_run.cc).
  void ExportAll(HandlerGuard& guard);
  void ExportWorkbook(HandlerGuard& guard, int position,
                      bool& no_range_selected);
  bool CheckSpreadsheetOpen();
  void ReportReplacedFiles();
  void ProcessPendingEvents();

  SpreadsheetAutomation& automation_;
  Dialogs& dialogs_;

  QGroupBox* frame1_ = nullptr;
  QGroupBox* frame2_ = nullptr;
  QGroupBox* frame3_ = nullptr;
  QGroupBox* frame4_ = nullptr;
  QRadioButton* option1_ = nullptr;
  QRadioButton* option2_ = nullptr;
  QRadioButton* option3_ = nullptr;
  QRadioButton* option4_ = nullptr;
  QRadioButton* option5_ = nullptr;
  QRadioButton* option6_ = nullptr;
  QCheckBox* check1_ = nullptr;
  QCheckBox* check2_ = nullptr;
  QCheckBox* check3_ = nullptr;
  QCheckBox* check_escape_ = nullptr;
  QLineEdit* text1_ = nullptr;
  QLineEdit* text2_ = nullptr;
  QPushButton* push_button1_ = nullptr;
  QPushButton* push_button2_ = nullptr;
  QPushButton* push_button5_ = nullptr;
  QPushButton* push_button6_ = nullptr;
  QPushButton* push_button7_ = nullptr;
  QPushButton* push_button8_ = nullptr;
  FileListView* list_view1_ = nullptr;
  std::unique_ptr<FileListCommands> list_commands_;
  ProgressBar* progress_bar1_ = nullptr;

  QHash<QObject*, Pointer> hover_pointers_;
  Pointer pointer_ = Pointer::kDefault;
  QCursor custom_cursor_{Qt::PointingHandCursor};
  bool program_ended_ = false;
  bool unloading_ = false;

  // The export run's state.
  bool is_exporting_ = false;
  // Output files written by this run, and the workbook each one came from,
  // so that a second workbook writing the same file is noticed.
  QHash<QString, QString> written_by_;
  QStringList replaced_files_;
};

}  // namespace kestrilo
