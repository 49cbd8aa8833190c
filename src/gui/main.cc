#include <QApplication>
#include <QFileInfo>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include "gui/filelist/file_list_commands.h"
#include "gui/shell/main_window.h"
#include "gui/shell/qt_dialogs.h"
#include "gui/shell/start_up.h"
#include "gui/spreadsheet/window_workbook_opener.h"

namespace {

// Files and folders named on the command line (a file manager's "Open With"
// passes local paths, some pass file URLs), as absolute paths.
QStringList PathsOf(int argc, char** argv) {
  QStringList paths;
  for (int i = 1; i < argc; ++i) {
    const QString argument = QString::fromLocal8Bit(argv[i]);
    const QUrl url(argument);
    const QString path = url.isLocalFile() ? url.toLocalFile() : argument;
    paths << QFileInfo(path).absoluteFilePath();
  }
  return paths;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Velmora"));
  QApplication::setApplicationName(QStringLiteral("Kestrilo"));

  kestrilo::gui::QtDialogs dialogs;
  kestrilo::gui::WindowWorkbookOpener opener;
  kestrilo::gui::MainWindow window(opener, dialogs);
  dialogs.SetOwner(&window);
  if (!kestrilo::gui::StartUp(window, opener, dialogs)) return 1;
  window.show();
  // The arguments join the list as a drop would add them, once the window
  // shows, so that a long folder scan can be watched.
  const QStringList paths = PathsOf(argc, argv);
  QTimer::singleShot(0, &window, [&window, paths] {
    window.list_commands().AddDropped(paths);
  });
  return application.exec();
}
