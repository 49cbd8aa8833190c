// The export options of Form1: the header mode and hierarchy buttons, the
// hidden header flags and the enabling rule, the title and output folder
// boxes, and the output folder's "..." button. Every change is stored at
// once.

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>

#include "gui/shell/dialogs.h"
#include "gui/shell/form1.h"
#include "gui/shell/handler_guard.h"
#include "gui/shell/settings_store.h"

namespace kestrilo {
namespace {

constexpr char kPushButton2Location[] =
    "in Kestrix2021/08/31.Form1.PushButton2_Click ";

}  // namespace

void Form1::Option1_Click() {
  SaveSetting(QStringLiteral("Flip Row"), QStringLiteral("1"));
}

void Form1::Option2_Click() {
  SaveSetting(QStringLiteral("Flip Row"), QStringLiteral("2"));
}

void Form1::Option3_Click() { HeaderModeClick(1, true, false); }
void Form1::Option5_Click() { HeaderModeClick(2, false, true); }
void Form1::Option6_Click() { HeaderModeClick(3, true, true); }
void Form1::Option4_Click() { HeaderModeClick(4, false, false); }

void Form1::HeaderModeClick(int code, bool header_row, bool header_column) {
  SaveSetting(QStringLiteral("Selection Properties"), QString::number(code));
  // Each change of a flag runs the enabling rule; the later one sees the
  // final pair.
  check2_->setChecked(header_row);
  check3_->setChecked(header_column);
}

void Form1::Check2_Click() { ApplyEnablingRule(); }
void Form1::Check3_Click() { ApplyEnablingRule(); }

void Form1::ApplyEnablingRule() {
  // The hierarchy matters only when both or neither of the first row and
  // column are headers. Disabling keeps the selection.
  const bool row = check2_->isChecked();
  const bool column = check3_->isChecked();
  const bool enabled = row == column;
  option1_->setEnabled(enabled);
  option2_->setEnabled(enabled);
}

void Form1::Text1_Change() {
  SaveSetting(QStringLiteral("Output Folder"), text1_->text());
}

void Form1::Text2_Change() {
  SaveSetting(QStringLiteral("Title"), text2_->text());
}

void Form1::CheckEscape_Click() {
  SaveSetting(QStringLiteral("Escape Text"), check_escape_->isChecked()
                                                 ? QStringLiteral("1")
                                                 : QStringLiteral("0"));
}

void Form1::PushButton2_Click() {
  HandlerGuard guard(dialogs_, QString::fromLatin1(kPushButton2Location));
  QString chosen;
  guard.Run(100, [&] {
    const QString last_folder =
        GetSetting(QStringLiteral("LastFolderDot"), QString());
    chosen = dialogs_.BrowseForFolder(QStringLiteral("Please select folder:"),
                                      last_folder);
  });
  if (guard.Test(102, [&] { return chosen.isEmpty(); })) return;
  const QString separator = QDir::separator();
  if (guard.Test(104, [&] {
        SaveSetting(QStringLiteral("LastFolderDot"), chosen);
        return !chosen.endsWith(separator);
      })) {
    guard.Run(106, [&] { text1_->setText(chosen + separator); });
  } else {
    guard.Run(108, [&] { text1_->setText(chosen); });
  }
}

}  // namespace kestrilo
