#include <QApplication>

#include "gui/shell/form1.h"
#include "gui/shell/qt_dialogs.h"
#include "gui/spreadsheet/window_automation.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Velmora"));
  QApplication::setApplicationName(QStringLiteral("Kestrilo"));

  kestrilo::QtDialogs dialogs;
  kestrilo::WindowAutomation automation;
  kestrilo::Form1 form(automation, dialogs);
  dialogs.SetOwner(&form);
  form.Form_Load();
  if (form.program_ended()) return 1;
  form.show();
  return application.exec();
}
