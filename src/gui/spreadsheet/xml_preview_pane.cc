#include "gui/spreadsheet/xml_preview_pane.h"

#include <QFontDatabase>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace kestrilo {

XmlPreviewPane::XmlPreviewPane(QWidget* parent)
    : QWidget(parent),
      text_(new QPlainTextEdit(this)),
      size_(new QLabel(this)) {
  setObjectName(QStringLiteral("xmlPreview"));
  auto* title = new QLabel(tr("XML preview"), this);
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setAccessibleName(tr("XML preview"));
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  text_->setFont(fixed);
  text_->setTabStopDistance(QFontMetricsF(fixed).horizontalAdvance(' ') * 4);
  size_->setObjectName(QStringLiteral("previewSize"));
  size_->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(title);
  layout->addWidget(text_, 1);
  layout->addWidget(size_);
}

void XmlPreviewPane::ShowPreview(const XmlPreview& preview) {
  xml_ = QString::fromStdString(preview.head);
  QString shown = xml_;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (shown.endsWith(QLatin1Char('\n'))) shown.chop(1);
  text_->setPlainText(shown);
  const QLocale locale;
  QString size = tr("%1 lines, %2 bytes")
                     .arg(locale.toString(qlonglong{preview.line_count}),
                          locale.toString(qlonglong{preview.byte_count}));
  if (preview.line_count > kLines) {
    size += tr(" (the first %1 lines shown)").arg(kLines);
  }
  size_->setText(size);
}

void XmlPreviewPane::ShowNote(const QString& note) {
  xml_.clear();
  text_->setPlainText(QString());
  size_->setText(note);
}

QString XmlPreviewPane::size_text() const { return size_->text(); }

}  // namespace kestrilo
