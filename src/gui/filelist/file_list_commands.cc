#include "gui/filelist/file_list_commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <exception>
#include <utility>

#include "engine/folder_scan.h"
#include "gui/filelist/file_list_view.h"
#include "gui/filelist/sample_files.h"
#include "gui/shell/dialogs.h"
#include "gui/shell/error_report.h"
#include "gui/shell/handler_guard.h"
#include "gui/shell/settings_store.h"

namespace kestrilo {
namespace {

constexpr char kSamplesLocation[] =
    "in Kestrix2021/08/31.Form1.PushButton1_Click ";
constexpr char kAddFolderLocation[] =
    "in Kestrix2021/08/31.Form1.PushButton5_Click ";
constexpr char kAddFilesLocation[] =
    "in Kestrix2021/08/31.Form1.PushButton6_Click ";
constexpr char kClearLocation[] =
    "in Kestrix2021/08/31.Form1.PushButton7_Click ";
constexpr char kScanLocation[] =
    "in Tarnwick2021/08/31.AddFolder.GetSubDirectories2016 ";
// The statement of the scan that reads a folder's subfolders.
constexpr int kScanReadLine = 118;

constexpr char kAddFilesTitle[] =
    "Add File(s) - Hold Ctrl to select multiple files";
constexpr char kTooManyFiles[] =
    "You've selected too many files to add.\r\rPlease try adding via the "
    "\"Add All\" button.";
constexpr char kExtensionPrompt[] =
    "Enter file extension to load:\r\r(* for all files, txt for all txt "
    "files, doc for all doc files, etc.)";
constexpr char kFolderPrompt[] = "Please select folder:";

// The room the classic open-file dialog has for its answer: the folder and
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

FileListCommands::FileListCommands(FileListView& list, Dialogs& dialogs,
                                   std::function<bool()> is_busy,
                                   std::function<void(bool)> set_busy)
    : list_(list),
      dialogs_(dialogs),
      is_busy_(std::move(is_busy)),
      set_busy_(std::move(set_busy)),
      yield_([] { QCoreApplication::processEvents(); }) {
  list_.SetBusyTest(is_busy_);
  drops_ = QObject::connect(
      &list_, &FileListView::FilesDropped, &list_,
      [this](const QStringList& paths) { ListView1_OLEDragDrop(paths); });
}

FileListCommands::~FileListCommands() { QObject::disconnect(drops_); }

void FileListCommands::SetYield(std::function<void()> yield) {
  yield_ = std::move(yield);
}

void FileListCommands::PushButton1_Click() {
  HandlerGuard guard(dialogs_, QString::fromLatin1(kSamplesLocation));
  guard.Run(100, [&] { LoadSampleFiles(list_, dialogs_); });
}

void FileListCommands::PushButton7_Click() {
  HandlerGuard guard(dialogs_, QString::fromLatin1(kClearLocation));
  guard.Run(100, [&] {
    if (!is_busy_()) list_.Clear();
  });
}

void FileListCommands::PushButton6_Click() {
  HandlerGuard guard(dialogs_, QString::fromLatin1(kAddFilesLocation));
  QStringList chosen;
  guard.Run(112, [&] {
    chosen = dialogs_.OpenFileNames(QString::fromLatin1(kAddFilesTitle),
                                    AddFilesFilters());
  });
  if (chosen.isEmpty()) return;
  if (SelectionLength(chosen) > kDialogBufferChars) {
    dialogs_.Message(QString::fromLatin1(kTooManyFiles));
    return;
  }
  if (chosen.size() == 1) {
    // One file is a full path already and stays exactly as chosen.
    guard.Run(122, [&] { list_.Append(chosen.first()); });
    return;
  }
  for (const QString& path : chosen) {
    QString composed;
    guard.Run(136, [&] {
      composed = FolderOf(path) + QDir::separator() + NameOf(path);
    });
    guard.Run(140, [&] {
      list_.Append(FromPath(CollapseDoubleSlashes(ToPath(composed))));
    });
  }
}

std::optional<QString> FileListCommands::AskExtension() {
  const QString answer = dialogs_
                             .InputText(QString::fromLatin1(kExtensionPrompt),
                                        GetSetting(QStringLiteral("Extension"),
                                                   QStringLiteral("xl*")))
                             .value_or(QString());
  if (answer.isEmpty()) return std::nullopt;
  SaveSetting(QStringLiteral("Extension"), answer);
  return answer;
}

void FileListCommands::PushButton5_Click() {
  HandlerGuard guard(dialogs_, QString::fromLatin1(kAddFolderLocation));
  std::optional<QString> extension;
  guard.Run(100, [&] { extension = AskExtension(); });
  if (!extension) return;
  QString folder;
  guard.Run(106, [&] {
    folder = dialogs_.BrowseForFolder(
        QString::fromLatin1(kFolderPrompt),
        GetSetting(QStringLiteral("LastFolder"), QString()));
  });
  if (folder.isEmpty()) return;
  guard.Run(334, [&] { SaveSetting(QStringLiteral("LastFolder"), folder); });
  guard.Run(114, [&] { set_busy_(true); });
  std::vector<std::string> folders;
  guard.Run(118, [&] { folders = ScanFolder(folder); });
  const std::string pattern = "*." + ToPath(*extension);
  for (const std::string& entry : folders) {
    std::vector<std::string> files;
    guard.Run(124, [&] { files = FilesOfListedFolder(entry, pattern); });
    for (const std::string& file : files) {
      guard.Run(134, [&] { list_.Append(FromPath(file)); });
    }
  }
  guard.Run(138, [&] { set_busy_(false); });
}

void FileListCommands::ListView1_OLEDragDrop(const QStringList& paths) {
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

FolderScanHooks FileListCommands::ScanHooks() {
  return {.yield = yield_, .report_error = [this](const std::string& message) {
            ReportApplicationError(dialogs_, QString::fromUtf8(message),
                                   QString::fromLatin1(kScanLocation),
                                   kScanReadLine);
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

}  // namespace kestrilo
