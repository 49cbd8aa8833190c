// SPDX-License-Identifier: MIT

#include "gui/run/export_run.h"

#include <QDir>
#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>

#include "engine/conversion/output_budget.h"
#include "engine/files/file_names.h"
#include "engine/writing/output_file.h"
#include "engine/writing/output_plan.h"
#include "gui/common/count_text.h"
#include "gui/common/dialogs.h"
#include "gui/common/path_text.h"
#include "gui/common/step_guard.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/common/workbook_opener.h"
#include "gui/common/workbook_session.h"
#include "gui/filelist/file_list_model.h"
#include "gui/run/export_settings.h"

namespace kestrilo::gui {
namespace {

QString Shown(const std::string& path) {
  return QDir::toNativeSeparators(PathText(path));
}

// Names of workbooks under a heading, one a line: the first few, then how
// many more.
QString NamesList(const QString& heading, const QStringList& names) {
  constexpr qsizetype kNamed = 10;
  if (names.isEmpty()) return {};
  QString list = heading + names.mid(0, kNamed).join(QStringLiteral("\r\n"));
  if (names.size() > kNamed) {
    list += QStringLiteral("\r\n") +
            Tr(texts::kSkippedMore).arg(CountText(names.size() - kNamed));
  }
  return list;
}

// A failure that does not name the workbook yet gets its path in front, so
// that the report says which file.
std::string NamingWorkbook(const std::string& path, const std::string& what) {
  return what.find(path) != std::string::npos ? what : path + ": " + what;
}

// Converts the block straight into the entry's output file, with the
// schema the options ask for beside it, both put in place together. A failure
// of a file itself is told as a failed write, any other as a failed
// conversion; either way the earlier file stays and no partial file is
// left. True when the conversion ended well: the file is in place, or the
// report says why the block was skipped.
// An XML larger than `max_output_bytes` is not written: `too_large` says
// so, and the caller asks.
bool ConvertIntoFile(StepGuard& guard, WorkbookSession& session,
                     const ExportOptions& options, const std::string& address,
                     const OutputPlan::Entry& entry,
                     std::uint64_t max_output_bytes, ConversionReport& report,
                     std::optional<OutputBudgetExceeded>& too_large) {
  std::unique_ptr<OutputFile> file;
  if (!guard.Run(Step::kWriteOutput, [&] {
        file = std::make_unique<OutputFile>(entry.output_path);
      })) {
    return false;
  }
  std::exception_ptr write_failure;
  const bool converted = guard.Run(Step::kConvertBlock, [&] {
    try {
      report = session.Convert(options, address, *file, max_output_bytes);
    } catch (const OutputBudgetExceeded& error) {
      too_large = error;
    } catch (const std::exception& error) {
      if (file->failed()) {
        write_failure = std::current_exception();
        return;
      }
      throw std::runtime_error(NamingWorkbook(entry.input, error.what()));
    }
  });
  return converted && !too_large && guard.Run(Step::kWriteOutput, [&] {
    if (write_failure) std::rethrow_exception(write_failure);
    if (!report.skipped.empty()) return;
    if (options.schema) {
      CommitBeside(*file, report.schema, SchemaPathFor(entry.output_path));
    } else {
      file->Commit();
    }
  });
}

}  // namespace

ExportRun::ExportRun(WorkbookOpener& opener, Dialogs& dialogs,
                     FileListModel& list, ExportSettings& settings,
                     QObject* parent)
    : QObject(parent),
      opener_(opener),
      dialogs_(dialogs),
      list_(list),
      settings_(settings) {
  // Options changed while the user is at a prompt show in its preview.
  connect(&settings_, &ExportSettings::Changed, this, [this] {
    if (state_ == State::kPrompting) session_->UpdateOptions(CurrentOptions());
  });
}

ExportRun::~ExportRun() {
  // A run ended by closing the window leaves the list as the user can use it.
  if (running_) list_.Unlock();
}

void ExportRun::Start() {
  if (running_) return;
  running_ = true;
  if (!PreconditionsHold()) {
    running_ = false;
    return;
  }
  workbooks_ = list_.paths();
  plan_ = std::make_unique<OutputPlan>(workbooks_,
                                       PathBytes(settings_.output_folder()));
  current_ = -1;
  exported_ = failed_ = skipped_ = not_begun_ = 0;
  skipped_names_.clear();
  failed_names_.clear();
  last_cancelled_ = false;
  written_by_.clear();
  replaced_files_.clear();
  list_.Lock();
  emit BusyChanged(true);
  NextWorkbook();
}

bool ExportRun::PreconditionsHold() {
  if (list_.Count() == 0) {
    dialogs_.Message(Tr(texts::kNoFiles));
    return false;
  }
  if (!IsFolder(PathBytes(settings_.output_folder()))) {
    dialogs_.Message(Tr(texts::kNoFolder));
    return false;
  }
  return !opener_.AnyWindowOpen() || dialogs_.Question(Tr(texts::kWindowOpen));
}

const std::string& ExportRun::CurrentPath() const {
  return workbooks_.at(current_);
}

ExportOptions ExportRun::CurrentOptions() const {
  ExportOptions options = settings_.Options();
  // The XML names the schema beside it, in the preview as in the file.
  if (options.schema) {
    options.schema_name =
        FileNameOfPath(SchemaPathFor((*plan_)[current_].output_path));
  }
  return options;
}

QString ExportRun::CurrentName() const {
  return PathText(FileNameOfPath(CurrentPath()));
}

void ExportRun::Failed() {
  CountFailed();
  last_cancelled_ = false;
  CloseWorkbook();
}

void ExportRun::CountSkipped() {
  ++skipped_;
  skipped_names_ << Shown(CurrentPath());
}

void ExportRun::CountFailed() {
  ++failed_;
  failed_names_ << Shown(CurrentPath());
}

void ExportRun::AskToStop() {
  if (state_ != State::kPrompting) return;
  const int left = static_cast<int>(workbooks_.size()) - current_;
  if (!dialogs_.Question(Tr(texts::kStopRunQuestion).arg(CountText(left))) ||
      state_ != State::kPrompting) {
    return;
  }
  CountSkipped();
  not_begun_ = left - 1;
  // The next workbook is none: closing this one completes the run.
  current_ = static_cast<int>(workbooks_.size()) - 1;
  CloseWorkbook();
}

void ExportRun::NextWorkbook() {
  if (++current_ >= static_cast<int>(workbooks_.size())) {
    Complete();
    return;
  }
  const int count = static_cast<int>(workbooks_.size());
  emit ProgressChanged(qRound((current_ + 1) * 100.0 / count),
                       Tr(texts::kProgressProcessing) + CurrentName());
  const std::string problem = plan_->OverwriteProblem(current_);
  if (!problem.empty()) {
    // Never write over a workbook of this run: it would be lost.
    dialogs_.Message(Shown(CurrentPath()) + Tr(texts::kPathSeparator) +
                     QString::fromStdString(problem));
    Failed();
    return;
  }
  state_ = State::kOpening;
  session_ = opener_.Create(CurrentPath());
  session_->Open(
      [this](const std::optional<std::string>& error) { Opened(error); });
}

void ExportRun::Opened(const std::optional<std::string>& error) {
  if (error) {
    StepGuard(dialogs_).Report(Step::kOpenWorkbook,
                               QString::fromStdString(*error));
    Failed();
    return;
  }
  state_ = State::kPrompting;
  PromptContext context;
  context.position = current_ + 1;
  context.count = static_cast<int>(workbooks_.size());
  context.file_name = CurrentName();
  context.options = CurrentOptions();
  context.stop_run = [this] { AskToStop(); };
  session_->Prompt(context, [this](const std::optional<std::string>& address) {
    Answered(address);
  });
}

void ExportRun::Answered(const std::optional<std::string>& address) {
  // Stopped meanwhile: the answer no longer counts.
  if (state_ != State::kPrompting) return;
  state_ = State::kOpening;
  last_cancelled_ = !address;
  if (address) {
    Export(*address);
  } else {
    CountSkipped();
    dialogs_.Message(Tr(texts::kNoRange));
  }
  CloseWorkbook();
}

void ExportRun::Export(const std::string& address) {
  const OutputPlan::Entry& entry = (*plan_)[current_];
  StepGuard guard(dialogs_);
  ConversionReport report;
  std::optional<OutputBudgetExceeded> too_large;
  bool converted = ConvertIntoFile(guard, *session_, CurrentOptions(), address,
                                   entry, ask_above_bytes_, report, too_large);
  const QString shown = Shown(CurrentPath());
  if (too_large) {
    // A large file is written only when the user says so.
    const std::uint64_t least = too_large->least_bytes();
    const QString question =
        least > 0
            ? Tr(texts::kLargeOutputQuestion)
                  .arg(shown, QString::fromStdString(SizeText(least)))
            : Tr(texts::kGrowingOutputQuestion)
                  .arg(shown,
                       QString::fromStdString(SizeText(ask_above_bytes_)));
    if (!dialogs_.Question(question)) {
      CountSkipped();
      return;
    }
    too_large.reset();
    converted = ConvertIntoFile(guard, *session_, CurrentOptions(), address,
                                entry, 0, report, too_large);
  }
  if (!converted) {
    CountFailed();
    return;
  }
  for (const std::string& warning : report.warnings) {
    dialogs_.Message(Tr(texts::kConversionWarning)
                         .arg(shown, QString::fromStdString(warning)));
  }
  if (!report.skipped.empty()) {
    CountSkipped();
    dialogs_.Message(Tr(texts::kBlockSkipped)
                         .arg(shown, QString::fromStdString(report.skipped)));
    return;
  }
  ++exported_;
  const auto earlier = written_by_.constFind(entry.group);
  if (earlier != written_by_.constEnd()) {
    replaced_files_.append(Tr(texts::kReplacedFile)
                               .arg(Shown(entry.output_path),
                                    Shown(workbooks_.at(earlier.value())),
                                    Shown(CurrentPath())));
  }
  written_by_.insert(entry.group, current_);
}

void ExportRun::CloseWorkbook() {
  state_ = State::kIdle;
  // The workbook closes, and the next one starts, from the event loop: never
  // inside the session's own answer, and with the window showing where the
  // run stands before a new workbook window opens.
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (session_) {
          session_->Quit();
          session_.reset();
        }
        NextWorkbook();
      },
      Qt::QueuedConnection);
}

void ExportRun::Complete() {
  emit BusyChanged(false);
  emit ProgressChanged(0, Tr(texts::kProgressIdle));
  if (!replaced_files_.isEmpty()) {
    // Two workbooks of this run that share an output name: the later one's
    // XML stands, and the user hears which files were overwritten that way.
    dialogs_.Message(Tr(texts::kReplacedFiles) +
                     replaced_files_.join(QStringLiteral("\r\n")));
  }
  const int count = static_cast<int>(workbooks_.size());
  if (exported_ == count) {
    dialogs_.Message(Tr(texts::kDone));
  } else {
    // Whatever did not become a file is counted, even when the last
    // workbook's prompt was cancelled: the run's last word is true.
    QString done =
        Tr(texts::kDone) +
        Tr(texts::kDoneCounts)
            .arg(CountText(exported_), CountText(count))
            .arg(count == 1 ? Tr(texts::kWorkbook) : Tr(texts::kWorkbooks));
    if (skipped_ > 0) done += Tr(texts::kDoneSkipped).arg(CountText(skipped_));
    if (failed_ > 0) done += Tr(texts::kDoneFailed).arg(CountText(failed_));
    if (not_begun_ > 0) {
      done += Tr(texts::kDoneNotBegun).arg(CountText(not_begun_));
    }
    done += NamesList(Tr(texts::kDoneSkippedList), skipped_names_) +
            NamesList(Tr(texts::kDoneFailedList), failed_names_);
    dialogs_.Message(done);
  }
  list_.Unlock();
  plan_.reset();
  running_ = false;
  emit Finished();
}

}  // namespace kestrilo::gui
