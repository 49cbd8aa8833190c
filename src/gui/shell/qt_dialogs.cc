// SPDX-License-Identifier: MIT

#include "gui/shell/qt_dialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/shell/application_title.h"

namespace kestrilo::gui {
namespace {

// Our message texts keep Windows line ends (CR LF, and a lone CR in
// places); a Qt label breaks lines only at LF.
QString ForDisplay(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

}  // namespace

QtDialogs::QtDialogs(QWidget* owner) : owner_(owner) {}

void QtDialogs::Message(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), ForDisplay(text),
                  QMessageBox::Ok, owner_);
  box.exec();
}

bool QtDialogs::Question(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), ForDisplay(text),
                  QMessageBox::Yes | QMessageBox::No, owner_);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void QtDialogs::ErrorReport(const QString& text) {
  QMessageBox box(QMessageBox::Warning, Tr(texts::kErrorReportCaption),
                  ForDisplay(text), QMessageBox::Ok, owner_);
  box.exec();
}

std::optional<QString> QtDialogs::InputText(const QString& prompt,
                                            const QString& default_answer) {
  bool ok = false;
  QString answer =
      QInputDialog::getText(owner_, ApplicationTitle(), ForDisplay(prompt),
                            QLineEdit::Normal, default_answer, &ok);
  if (!ok) return std::nullopt;
  return answer;
}

QString QtDialogs::BrowseForFolder(const QString& prompt,
                                   const QString& start_folder) {
  QString folder =
      QFileDialog::getExistingDirectory(owner_, prompt, start_folder);
  if (folder.isEmpty()) return QString();
  return QDir::toNativeSeparators(folder);
}

QStringList QtDialogs::OpenFileNames(const QString& title,
                                     const QStringList& filters) {
  QString selected = filters.isEmpty() ? QString() : filters.first();
  const QList<QUrl> urls = QFileDialog::getOpenFileUrls(
      owner_, title, QUrl(), filters.join(QStringLiteral(";;")), &selected, {},
      {QStringLiteral("file")});
  QStringList names;
  for (const QUrl& url : urls) {
    // A file of a remote location has no local path: an empty name.
    names << (url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile())
                                : QString());
  }
  return names;
}

bool QtDialogs::OpenFolder(const QString& folder) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

}  // namespace kestrilo::gui
