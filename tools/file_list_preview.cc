// SPDX-License-Identifier: MIT
// Shows the main window with its file list filled by "Add All Excel Files In
// Folder" and saves a picture of it, for checking how the list looks:
//   file_list_preview <folder> <extension> <picture.png> [<width>x<height>]
// The folder and extension stand in for the user's answers; the user's own
// settings are not touched. A size makes the window that large.

#include <QApplication>
#include <QStandardPaths>
#include <QTimer>

#include "gui/common/dialogs.h"
#include "gui/filelist/file_list_commands.h"
#include "gui/shell/main_window.h"
#include "gui/shell/start_up.h"
#include "gui/spreadsheet/window_workbook_opener.h"

namespace {

class FixedAnswers : public kestrilo::gui::Dialogs {
 public:
  FixedAnswers(QString folder, QString extension)
      : folder_(std::move(folder)), extension_(std::move(extension)) {}
  void Message(const QString&) override {}
  bool Question(const QString&) override { return false; }
  void ErrorReport(const QString&) override {}
  std::optional<QString> InputText(const QString&, const QString&) override {
    return extension_;
  }
  QString BrowseForFolder(const QString&, const QString&) override {
    return folder_;
  }
  QStringList OpenFileNames(const QString&, const QStringList&) override {
    return {};
  }
  bool OpenFolder(const QString&) override { return false; }

 private:
  QString folder_;
  QString extension_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 4 && argc != 5) {
    qWarning(
        "usage: file_list_preview <folder> <extension> <picture.png> "
        "[<width>x<height>]");
    return 2;
  }
  QStandardPaths::setTestModeEnabled(true);
  FixedAnswers dialogs(QString::fromLocal8Bit(argv[1]),
                       QString::fromLocal8Bit(argv[2]));
  kestrilo::gui::WindowWorkbookOpener opener;
  kestrilo::gui::MainWindow window(opener, dialogs);
  kestrilo::gui::StartUp(window, opener, dialogs);
  if (argc == 5) {
    const QStringList size = QString::fromLocal8Bit(argv[4]).split('x');
    if (size.size() == 2) window.resize(size[0].toInt(), size[1].toInt());
  }
  window.show();
  window.list_commands().AddFolder();
  const QString picture = QString::fromLocal8Bit(argv[3]);
  QTimer::singleShot(800, [&] {
    window.grab().save(picture);
    application.quit();
  });
  return application.exec();
}
