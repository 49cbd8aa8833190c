// SPDX-License-Identifier: MIT

#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/writing/export_options.h"
#include "engine/writing/output_plan.h"

namespace kestrilo::gui {

class Dialogs;
class ExportSettings;
class FileListModel;
class WorkbookOpener;
class WorkbookSession;

/// "Start Exporting To XML": every listed workbook in turn is opened in the
/// workbook window, the user highlights a block, the block becomes XML
/// under the options of that moment and goes to one file in the output
/// folder. The run waits for the workbook window's answers without ever
/// entering an event loop of its own; destroying it ends it at once,
/// closing the workbook it has open. The list is locked while it runs.
class ExportRun : public QObject {
  Q_OBJECT

 public:
  /// Where the run stands with the current workbook.
  enum class State { kIdle, kOpening, kPrompting };

  /// Everything given must outlive the run.
  ExportRun(WorkbookOpener& opener, Dialogs& dialogs, FileListModel& list,
            ExportSettings& settings, QObject* parent = nullptr);
  ~ExportRun() override;

  /// Starts a run; does nothing while one is under way.
  void Start();
  /// "Stop the Run": after the user says so, ends the run at the prompt of
  /// the current workbook; it and the workbooks not begun are not
  /// exported, and the summary says so.
  void AskToStop();
  /// Above this many bytes of XML, the user is asked before a workbook's
  /// file is written (1 GB unless set).
  void SetAskAboveBytes(std::uint64_t bytes) { ask_above_bytes_ = bytes; }
  bool running() const { return running_; }
  State state() const { return state_; }

 signals:
  /// The bar's value (0 to 100) and its text line.
  void ProgressChanged(int value, const QString& text);
  /// The window is busy from the first workbook to the end of the run.
  void BusyChanged(bool busy);
  /// The run is over, whichever way it ended.
  void Finished();

 private:
  bool PreconditionsHold();
  void NextWorkbook();
  void Opened(const std::optional<std::string>& error);
  void Answered(const std::optional<std::string>& address);
  void Export(const std::string& address);
  /// The current workbook ends without a file, its failure told.
  void Failed();
  /// Counts the current workbook as skipped or failed, by name.
  void CountSkipped();
  void CountFailed();
  void CloseWorkbook();
  void Complete();
  const std::string& CurrentPath() const;
  QString CurrentName() const;
  /// The options of this moment for the current workbook.
  ExportOptions CurrentOptions() const;

  WorkbookOpener& opener_;
  Dialogs& dialogs_;
  FileListModel& list_;
  ExportSettings& settings_;

  bool running_ = false;
  State state_ = State::kIdle;
  // The listed paths' bytes: the run opens and names its files from them,
  // whatever the list shows for a name that is not UTF-8.
  std::vector<std::string> workbooks_;
  std::unique_ptr<OutputPlan> plan_;
  std::unique_ptr<WorkbookSession> session_;
  int current_ = -1;
  int exported_ = 0;
  int failed_ = 0;
  // Cancelled at the prompt, or a block that holds no cells.
  int skipped_ = 0;
  // Left when the user stopped the run.
  int not_begun_ = 0;
  QStringList skipped_names_;
  QStringList failed_names_;
  std::uint64_t ask_above_bytes_ = 1'000'000'000;
  bool last_cancelled_ = false;
  // Per group of workbooks sharing an output file: the one that wrote it,
  // so that a later one replacing it is told at the end.
  QHash<int, int> written_by_;
  QStringList replaced_files_;
};

}  // namespace kestrilo::gui
