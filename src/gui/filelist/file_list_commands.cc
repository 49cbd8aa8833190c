// SPDX-License-Identifier: MIT

#include "gui/filelist/file_list_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <algorithm>
#include <exception>
#include <filesystem>
#include <string_view>
#include <utility>

#include "engine/folder_scan/folder_scan.h"
#include "engine/reading/workbook_formats.h"
#include "gui/common/count_text.h"
#include "gui/common/dialogs.h"
#include "gui/common/path_text.h"
#include "gui/common/settings_store.h"
#include "gui/common/step_guard.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/filelist/file_list_model.h"
#include "gui/filelist/sample_files.h"

namespace kestrilo::gui {
namespace {

using Key = SettingsStore::Key;

// Enough lines to see what kind of files were left out; a whole tree of
// lock files would not fit on the screen.
constexpr std::size_t kMaxSkippedLines = 20;
constexpr std::string_view kSkippedMark = ": skipped: ";

// The formats' own patterns come from the engine's table of the formats
// read; "Excel Files (*.xl*)" stays as it always read.
QStringList AddFilesFilters() {
  const auto patterns = [](FormatFamily family) {
    return QString::fromStdString(ExtensionPatterns(family));
  };
  return {Tr(texts::kExcelFilesFilter),
          Tr(texts::kOdsFilesFilter).arg(patterns(FormatFamily::kOpenDocument)),
          Tr(texts::kTextFilesFilter).arg(patterns(FormatFamily::kText)),
          Tr(texts::kAllFilesFilter)};
}

// The folder part of a chosen file, as the dialog reports it: "/" for a file
// in the root folder.
QString FolderOf(const QString& path) {
  const qsizetype slash = path.lastIndexOf(QDir::separator());
  return slash <= 0 ? QString(QDir::separator()) : path.left(slash);
}

QString NameOf(const QString& path) {
  return path.mid(path.lastIndexOf(QDir::separator()) + 1);
}

// The dialog hands back an empty name for a chosen file it cannot give as
// a local path (one of a remote location, say).
bool AllReadable(const QStringList& chosen) {
  return std::none_of(chosen.begin(), chosen.end(),
                      [](const QString& path) { return path.isEmpty(); });
}

// "PATH: skipped: REASON" as the scan words it; under the heading the
// "skipped" goes without saying.
QString SkippedLine(std::string message) {
  const std::size_t mark = message.rfind(kSkippedMark);
  if (mark != std::string::npos) {
    message.replace(mark, kSkippedMark.size(), ": ");
  }
  return PathText(message);
}

QString SkippedText(const std::vector<std::string>& skipped) {
  QStringList lines;
  for (std::size_t i = 0; i < skipped.size() && i < kMaxSkippedLines; ++i) {
    lines << SkippedLine(skipped[i]);
  }
  if (skipped.size() > kMaxSkippedLines) {
    lines << Tr(texts::kSkippedMore)
                 .arg(CountText(
                     static_cast<qint64>(skipped.size() - kMaxSkippedLines)));
  }
  return Tr(texts::kSkippedHeading) + lines.join(QStringLiteral("\r\n"));
}

}  // namespace

FileListCommands::FileListCommands(FileListModel& list, Dialogs& dialogs,
                                   std::function<void(bool)> set_busy)
    : list_(list),
      dialogs_(dialogs),
      set_busy_(std::move(set_busy)),
      yield_([] { QCoreApplication::processEvents(); }) {}

void FileListCommands::SetYield(std::function<void()> yield) {
  yield_ = std::move(yield);
}

void FileListCommands::LoadSamples() {
  StepGuard guard(dialogs_);
  guard.Run(Step::kLoadSamples, [&] { LoadSampleFiles(list_, dialogs_); });
}

void FileListCommands::ClearList() { list_.Clear(); }

void FileListCommands::AddFiles() {
  const QStringList chosen =
      dialogs_.OpenFileNames(Tr(texts::kAddFilesTitle), AddFilesFilters());
  if (chosen.isEmpty()) return;
  // Any number of files is welcome; a selection that cannot be read in full
  // adds none of them, as a partial list would go unnoticed.
  if (!AllReadable(chosen)) {
    dialogs_.Message(Tr(texts::kTooManyFiles));
    return;
  }
  if (chosen.size() == 1) {
    // One file is a full path already and stays exactly as chosen.
    list_.Append(chosen.first());
    return;
  }
  for (const QString& path : chosen) {
    const QString composed = FolderOf(path) + QDir::separator() + NameOf(path);
    list_.AppendPath(CollapseDoubleSlashes(PathBytes(composed)));
  }
}

std::optional<QString> FileListCommands::AskExtension() {
  const QString answer =
      dialogs_
          .InputText(Tr(texts::kExtensionPrompt),
                     SettingsStore::Read(
                         Key::kScanExtension,
                         QString::fromLatin1(texts::kDefaultExtension)))
          .value_or(QString());
  if (answer.isEmpty()) return std::nullopt;
  SettingsStore::Write(Key::kScanExtension, answer);
  return answer;
}

void FileListCommands::AddFolder() {
  const std::optional<QString> extension = AskExtension();
  if (!extension) return;
  const QString folder = dialogs_.BrowseForFolder(
      Tr(texts::kFolderPrompt),
      SettingsStore::Read(Key::kLastScanFolder, QString()));
  if (folder.isEmpty()) return;
  SettingsStore::Write(Key::kLastScanFolder, folder);
  StepGuard guard(dialogs_);
  // While the scan lets the window handle events, the list only grows.
  list_.Lock();
  set_busy_(true);
  std::vector<std::string> skipped;
  const FolderScanHooks hooks = ScanHooks(skipped);
  std::vector<std::string> folders{PathBytes(folder) + kPathSeparator};
  guard.Run(Step::kScanFolderTree,
            [&] { ListSubfoldersBreadthFirst(folders, true, hooks); });
  const std::string pattern = "*." + PathBytes(*extension);
  for (const std::string& entry : folders) {
    std::vector<std::string> files;
    guard.Run(Step::kListFolderFiles,
              [&] { files = FilesOfListedFolder(entry, pattern, hooks); });
    for (const std::string& file : files) list_.AppendPath(file);
  }
  set_busy_(false);
  list_.Unlock();
  TellSkipped(skipped);
}

void FileListCommands::AddDropped(const std::vector<std::string>& paths) {
  std::vector<std::string> skipped;
  const FolderScanHooks hooks = ScanHooks(skipped);
  for (const std::string& path : paths) {
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (std::filesystem::is_directory(status)) {
      AppendTreeOf(path, hooks);
    } else if (std::filesystem::exists(status)) {
      list_.AppendPath(path);
    }
    // A path gone by the time of the drop has nothing to add.
  }
  TellSkipped(skipped);
}

void FileListCommands::AddArguments(const std::vector<std::string>& arguments) {
  std::vector<std::string> paths;
  for (const std::string& argument : arguments) {
    paths.push_back(ArgumentPathBytes(argument));
  }
  AddDropped(paths);
}

FolderScanHooks FileListCommands::ScanHooks(std::vector<std::string>& skipped) {
  return {.yield = yield_,
          .report_error =
              [this](const std::string& message) {
                StepGuard(dialogs_).Report(Step::kReadFolder,
                                           PathText(message));
              },
          .report_skipped =
              [&skipped](const std::string& message) {
                skipped.push_back(message);
              }};
}

void FileListCommands::TellSkipped(const std::vector<std::string>& skipped) {
  if (!skipped.empty()) dialogs_.Message(SkippedText(skipped));
}

// A dropped folder: every file in it and below it, of any type.
void FileListCommands::AppendTreeOf(const std::string& folder,
                                    const FolderScanHooks& hooks) {
  std::vector<std::string> folders{folder + kPathSeparator};
  ListSubfoldersBreadthFirst(folders, true, hooks);
  for (const std::string& entry : folders) AppendFilesOf(entry, "*.*", hooks);
}

// One folder of a dropped tree. The drop has no error report of its own: a
// folder whose files cannot be listed is named in a plain message and the
// drop goes on.
void FileListCommands::AppendFilesOf(const std::string& entry,
                                     const std::string& pattern,
                                     const FolderScanHooks& hooks) {
  try {
    for (const std::string& file : FilesOfListedFolder(entry, pattern, hooks)) {
      list_.AppendPath(file);
    }
  } catch (const std::exception& failure) {
    dialogs_.Message(PathText(failure.what()));
  }
}

}  // namespace kestrilo::gui
