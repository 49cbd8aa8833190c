#include <QApplication>
#include <QStringList>
#include <QTimer>

#include "gui/filelist/file_list_commands.h"
#include "gui/shell/main_window.h"
#include "gui/shell/qt_dialogs.h"
#include "gui/shell/start_up.h"
#include "gui/spreadsheet/window_workbook_opener.h"

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
  // The files and folders named join the list once the window shows, so
  // that a long folder scan can be watched. QApplication has taken its own
  // options out of argv.
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  QTimer::singleShot(0, &window, [&window, arguments] {
    window.list_commands().AddArguments(arguments);
  });
  return application.exec();
}
