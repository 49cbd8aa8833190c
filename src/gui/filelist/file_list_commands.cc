#include "gui/filelist/file_list_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <exception>
#include <utility>

#include "engine/folder_scan.h"
#include "gui/common/dialogs.h"
#include "gui/common/settings_store.h"
#include "gui/common/step_guard.h"
#include "gui/filelist/file_list_model.h"
#include "gui/filelist/sample_files.h"

namespace kestrilo::gui {
namespace {

using Key = SettingsStore::Key;

constexpr char kAddFilesTitle[] =
    "Add File(s) - Hold Ctrl to select multiple files";
constexpr char kTooManyFiles[] =
    "You've selected too many files to add.\r\rPlease try adding via the "
    "\"Add All\" button.";
constexpr char kExtensionPrompt[] =
    "Enter file extension to load:\r\r(* for all files, txt for all txt "
    "files, doc for all doc files, etc.)";
constexpr char kFolderPrompt[] = "Please select folder:";

// The room the classic open-file dialog had for its answer: the folder and
// every chosen name, each closed by a NUL, and a final NUL. A selection
// beyond it is refused as it always was, pointing the user to the folder
// scan, which has no such limit.
constexpr qsizetype kDialogBufferChars = 30000;

QStringList AddFilesFilters() {
  return {QStringLiteral("Excel Files (*.xl*)"),
          QStringLiteral("OpenDocument Spreadsheets (*.ods)"),
          QStringLiteral("CSV and Text Files (*.csv *.txt)"),
          QStringLiteral("All Files (*)")};
}

std::string ToPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString FromPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
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

qsizetype SelectionLength(const QStringList& chosen) {
  if (chosen.size() == 1) return chosen.first().size() + 2;
  qsizetype length = FolderOf(chosen.first()).size() + 2;
  for (const QString& path : chosen) length += NameOf(path).size() + 1;
  return length;
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
  const QStringList chosen = dialogs_.OpenFileNames(
      QString::fromLatin1(kAddFilesTitle), AddFilesFilters());
  if (chosen.isEmpty()) return;
  if (SelectionLength(chosen) > kDialogBufferChars) {
    dialogs_.Message(QString::fromLatin1(kTooManyFiles));
    return;
  }
  if (chosen.size() == 1) {
    // One file is a full path already and stays exactly as chosen.
    list_.Append(chosen.first());
    return;
  }
  for (const QString& path : chosen) {
    const QString composed = FolderOf(path) + QDir::separator() + NameOf(path);
    list_.Append(FromPath(CollapseDoubleSlashes(ToPath(composed))));
  }
}

std::optional<QString> FileListCommands::AskExtension() {
  const QString answer =
      dialogs_
          .InputText(
              QString::fromLatin1(kExtensionPrompt),
              SettingsStore::Read(Key::kScanExtension, QStringLiteral("xl*")))
          .value_or(QString());
  if (answer.isEmpty()) return std::nullopt;
  SettingsStore::Write(Key::kScanExtension, answer);
  return answer;
}

void FileListCommands::AddFolder() {
  const std::optional<QString> extension = AskExtension();
  if (!extension) return;
  const QString folder = dialogs_.BrowseForFolder(
      QString::fromLatin1(kFolderPrompt),
      SettingsStore::Read(Key::kLastScanFolder, QString()));
  if (folder.isEmpty()) return;
  SettingsStore::Write(Key::kLastScanFolder, folder);
  StepGuard guard(dialogs_);
  // While the scan lets the window handle events, the list only grows.
  list_.Lock();
  set_busy_(true);
  std::vector<std::string> folders;
  guard.Run(Step::kScanFolderTree, [&] { folders = ScanFolder(folder); });
  const std::string pattern = "*." + ToPath(*extension);
  for (const std::string& entry : folders) {
    std::vector<std::string> files;
    guard.Run(Step::kListFolderFiles,
              [&] { files = FilesOfListedFolder(entry, pattern); });
    for (const std::string& file : files) list_.Append(FromPath(file));
  }
  set_busy_(false);
  list_.Unlock();
}

void FileListCommands::AddDropped(const QStringList& paths) {
  for (const QString& path : paths) {
    const QFileInfo info(path);
    if (info.isDir()) {
      for (const std::string& entry : ScanFolder(path)) {
        AppendFilesOf(entry, "*.*");
      }
    } else if (info.exists()) {
      list_.Append(path);
    }
    // A path gone by the time of the drop has nothing to add.
  }
}

void FileListCommands::AddArguments(const QStringList& arguments) {
  QStringList paths;
  for (const QString& argument : arguments) {
    const QUrl url(argument);
    const QString path = url.isLocalFile() ? url.toLocalFile() : argument;
    paths << QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
  }
  AddDropped(paths);
}

FolderScanHooks FileListCommands::ScanHooks() {
  return {.yield = yield_, .report_error = [this](const std::string& message) {
            StepGuard(dialogs_).Report(Step::kReadFolder,
                                       QString::fromUtf8(message));
          }};
}

std::vector<std::string> FileListCommands::ScanFolder(const QString& folder) {
  std::vector<std::string> folders{ToPath(folder) + kPathSeparator};
  ListSubfoldersBreadthFirst(folders, true, ScanHooks());
  return folders;
}

// One folder of a dropped tree. The drop has no error report of its own: a
// folder whose files cannot be listed is named in a plain message and the
// drop goes on.
void FileListCommands::AppendFilesOf(const std::string& entry,
                                     const std::string& pattern) {
  try {
    for (const std::string& file : FilesOfListedFolder(entry, pattern)) {
      list_.Append(FromPath(file));
    }
  } catch (const std::exception& failure) {
    dialogs_.Message(QString::fromUtf8(failure.what()));
  }
}

}  // namespace kestrilo::gui
