// SPDX-License-Identifier: MIT

#include "gui/shell/help_window.h"

#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"

namespace kestrilo::gui {

HelpWindow::HelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), text_(new QTextBrowser(this)) {
  setWindowTitle(Tr(texts::kHelpTitle));
  setAttribute(Qt::WA_DeleteOnClose);
  // The README is built into the program, so that help never depends on
  // where it was installed.
  QFile readme(QStringLiteral(":/kestrilo/README.md"));
  if (readme.open(QIODevice::ReadOnly)) {
    text_->setMarkdown(QString::fromUtf8(readme.readAll()));
  }
  text_->setOpenExternalLinks(true);
  text_->setAccessibleName(Tr(texts::kHelpTitle));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(text_);
  // About 80 characters of the guide's text wide, and 40 lines high.
  const QFontMetrics metrics(text_->font());
  resize(metrics.averageCharWidth() * 90, metrics.lineSpacing() * 40);
}

}  // namespace kestrilo::gui
