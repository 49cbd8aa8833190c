// Shows the main window with its file list filled by "Add All Excel Files In
// Folder" and saves a picture of it, for checking how the list looks:
//   file_list_preview <folder> <extension> <picture.png>
// The folder and extension stand in for the user's answers; the user's own
// settings are not touched.

#include <QApplication>
#include <QStandardPaths>
#include <QTimer>

#include "gui/shell/dialogs.h"
#include "gui/shell/form1.h"
#include "gui/spreadsheet/window_automation.h"

namespace {

class FixedAnswers : public kestrilo::Dialogs {
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
  void OpenFolder(const QString&) override {}

 private:
  QString folder_;
  QString extension_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 4) {
    qWarning("usage: file_list_preview <folder> <extension> <picture.png>");
    return 2;
  }
  QStandardPaths::setTestModeEnabled(true);
  FixedAnswers dialogs(QString::fromLocal8Bit(argv[1]),
                       QString::fromLocal8Bit(argv[2]));
  kestrilo::WindowAutomation automation;
  kestrilo::Form1 form(automation, dialogs);
  form.Form_Load();
  form.show();
  form.PushButton5_Click();
  const QString picture = QString::fromLocal8Bit(argv[3]);
  QTimer::singleShot(800, [&] {
    form.grab().save(picture);
    application.quit();
  });
  return application.exec();
}
