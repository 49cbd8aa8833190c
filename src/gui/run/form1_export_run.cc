// The export run behind "Start Exporting To XML": every listed workbook in
// turn is opened, the user highlights a block, the block becomes XML under
// the options of that moment and goes to one file in the output folder.

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "engine/output_file.h"
#include "engine/workbook_error.h"
#include "engine/xml_writer.h"
#include "gui/filelist/file_list_view.h"
#include "gui/shell/dialogs.h"
#include "gui/shell/form1.h"
#include "gui/shell/handler_guard.h"
#include "gui/shell/progress_bar.h"
#include "gui/spreadsheet/automation_checks.h"
#include "gui/spreadsheet/spreadsheet_automation.h"
#include "gui/spreadsheet/spreadsheet_instance.h"

namespace kestrilo {
namespace {

constexpr char kPushButton8Location[] =
    "in Kestrix2021/08/31.Form1.PushButton8_Click ";

QString FromStd(const std::string& text) {
  return QString::fromStdString(text);
}

// Runs `step`; a failure that does not name the workbook yet is passed on
// with the workbook's path in front, so that its report says which file.
void NamingWorkbook(const QString& path, const std::function<void()>& step) {
  try {
    step();
  } catch (const WorkbookError&) {
    throw;
  } catch (const std::exception& error) {
    const std::string what = error.what();
    const std::string name = path.toStdString();
    if (what.find(name) != std::string::npos) throw;
    throw std::runtime_error(name + ": " + what);
  }
}

// Two spellings of one output file (a doubled separator, "." pieces) are
// one file.
QString SameFileKey(const QString& path) {
  return QDir::cleanPath(QDir::fromNativeSeparators(path));
}

}  // namespace

void Form1::PushButton8_Click() {
  // A second start while a run waits between workbooks is turned away.
  if (is_exporting_) return;  // [100]
  is_exporting_ = true;       // [102]
  HandlerGuard guard(dialogs_, QString::fromLatin1(kPushButton8Location));
  ExportAll(guard);
  is_exporting_ = false;  // [190]
}

void Form1::ExportAll(HandlerGuard& guard) {
  if (guard.Test(106, [this] { return list_view1_->Count() == 0; })) {
    guard.Run(188,
              [this] { dialogs_.Message(QStringLiteral("No files added.")); });
    return;
  }
  if (guard.Test(108,
                 [this] { return !IsFolder(text1_->text().toStdString()); })) {
    guard.Run(186, [this] {
      dialogs_.Message(QStringLiteral(
          "Folder does not exist. Please select another folder."));
    });
    return;
  }
  if (guard.Test(110, [this] { return CheckSpreadsheetOpen(); })) return;
  bool no_range_selected = false;  // [112]
  written_by_.clear();
  replaced_files_.clear();

  int count = 0;
  guard.Run(114, [&] { count = list_view1_->Count(); });
  for (int position = 1; position <= count && !unloading_; ++position) {
    ExportWorkbook(guard, position, no_range_selected);
  }
  if (unloading_) return;

  guard.Run(176, [this] { SetPointer(Pointer::kDefault); });
  guard.Run(178, [this] { progress_bar1_->setValue(0); });
  guard.Run(
      180, [this] { progress_bar1_->SetText(QStringLiteral("Progress Bar")); });
  ReportReplacedFiles();
  if (guard.Test(182, [&] { return !no_range_selected; })) {
    guard.Run(184, [this] { dialogs_.Message(QStringLiteral("Done.")); });
  }
}

void Form1::ExportWorkbook(HandlerGuard& guard, int position,
                           bool& no_range_selected) {
  guard.Run(116, [this] { SetPointer(Pointer::kHourglass); });
  guard.Run(118, [this] { ProcessPendingEvents(); });
  if (unloading_) return;
  guard.Run(120, [&] {
    // The count is read afresh, so the bar already stands at 100 while the
    // last workbook is processed.
    const int current = list_view1_->Count();
    if (current == 0) throw std::runtime_error("Division by zero");
    progress_bar1_->setValue(
        qRound(static_cast<double>(position) / current * 100.0));
  });

  // A list entry that vanished during the run is reported and skipped, so
  // that no other workbook is exported twice under its place.
  std::optional<QString> path;
  guard.Run(122, [&] { path = list_view1_->Text(position); });
  if (!path) return;
  guard.Run(124, [&] {
    progress_bar1_->SetText(QStringLiteral("Processing: ") +
                            FromStd(FileNameOfPath(path->toStdString())));
  });
  guard.Run(126, [this] { ProcessPendingEvents(); });
  if (unloading_) return;

  QString output_path;
  guard.Run(128, [&] {
    output_path = text1_->text() + QDir::separator() +
                  FromStd(OutputNameFor(path->toStdString()));
  });

  guard.Run(148, [this] { SetPointer(Pointer::kHourglass); });
  // A workbook that cannot be opened is told once, naming the file and the
  // reason; the run goes on with the next one.
  std::unique_ptr<SpreadsheetInstance> instance;
  guard.Run(150, [&] {
    NamingWorkbook(*path, [&] {
      instance = automation_.OpenWorkbookInNewInstance(path->toStdString());
    });
  });
  if (!instance) return;
  guard.Run(152, [this] { SetPointer(Pointer::kHourglass); });
  guard.Run(154, [&] { instance->WorkbooksCount(); });
  guard.Run(156, [&] { instance->SetVisible(true); });

  std::optional<std::string> range;
  guard.Run(158, [&] { range = instance->PromptForRange(); });
  if (unloading_) {
    // The main window closed while the user was at the prompt: the program
    // ends, and nothing more is said or written.
    instance->Quit();
    return;
  }
  if (range) {                  // [160]
    no_range_selected = false;  // [162]
    std::optional<std::string> xml;
    guard.Run(164, [&] {
      NamingWorkbook(*path, [&] {
        xml = BlockToXml(*instance, ReadExportOptions(), *range);
      });
    });
    // A failed conversion writes nothing: never an earlier workbook's text
    // under this workbook's name.
    if (xml) {
      guard.Run(166, [&] {
        WriteTextFile(*xml, output_path.toStdString());
        const QString key = SameFileKey(output_path);
        const auto earlier = written_by_.constFind(key);
        if (earlier != written_by_.constEnd()) {
          replaced_files_.append(
              QStringLiteral("%1 (the XML of %2 was replaced by that of %3)")
                  .arg(output_path, earlier.value(), *path));
        }
        written_by_.insert(key, *path);
      });
    }
  } else {
    no_range_selected = true;  // [168]
    guard.Run(170, [this] {
      dialogs_.Message(
          QStringLiteral("You did not select a range. Please try again."));
    });
  }
  guard.Run(172, [&] { instance->Quit(); });
}

bool Form1::CheckSpreadsheetOpen() {
  return CheckExcelOpen(automation_, [this](const QString& question) {
    return dialogs_.Question(question);
  });
}

void Form1::ReportReplacedFiles() {
  // Two workbooks of one run that share an output name: the later one's XML
  // stands, and the user hears which files were overwritten that way.
  if (replaced_files_.isEmpty()) return;
  dialogs_.Message(
      QStringLiteral("More than one workbook of this run wrote these output "
                     "files; each now holds the XML of the last of them:") +
      QStringLiteral("\r\n\r\n") +
      replaced_files_.join(QStringLiteral("\r\n")));
}

void Form1::ProcessPendingEvents() { QCoreApplication::processEvents(); }

}  // namespace kestrilo
