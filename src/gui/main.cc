// SPDX-License-Identifier: MIT

#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/filelist/file_list_commands.h"
#include "gui/shell/main_window.h"
#include "gui/shell/qt_dialogs.h"
#include "gui/shell/start_up.h"
#include "gui/spreadsheet/window_workbook_opener.h"

namespace {

// Without a display Qt would end the program with a message of its own
// about its platform plugins; say in our terms what is missing instead.
bool HasDisplay() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (!HasDisplay()) {
    std::fputs(kestrilo::gui::texts::kNoDisplayConsole, stderr);
    return 1;
  }
  QApplication application(argc, argv);
  QApplication::setOrganizationName(
      QString::fromLatin1(kestrilo::gui::texts::kSettingsOrganization));
  QApplication::setApplicationName(
      QString::fromLatin1(kestrilo::gui::texts::kSettingsApplication));
  kestrilo::gui::InstallTranslation();

  kestrilo::gui::QtDialogs dialogs;
  kestrilo::gui::WindowWorkbookOpener opener;
  kestrilo::gui::MainWindow window(opener, dialogs);
  dialogs.SetOwner(&window);
  if (!kestrilo::gui::StartUp(window, opener, dialogs)) return 1;
  window.show();
  // The files and folders named join the list once the window shows, so
  // that a long folder scan can be watched. QApplication has taken its own
  // options out of argv.
  // Kept as bytes: a name need not be valid in any encoding.
  std::vector<std::string> arguments(argv + 1, argv + argc);
  QTimer::singleShot(0, &window, [&window, arguments] {
    window.list_commands().AddArguments(arguments);
  });
  return application.exec();
}
