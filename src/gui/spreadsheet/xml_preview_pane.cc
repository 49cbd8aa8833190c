// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/xml_preview_pane.h"

#include <QFontDatabase>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "engine/conversion/output_budget.h"
#include "gui/common/count_text.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"

namespace kestrilo::gui {

XmlPreviewPane::XmlPreviewPane(QWidget* parent)
    : QWidget(parent),
      text_(new QPlainTextEdit(this)),
      size_(new QLabel(this)) {
  setObjectName(QStringLiteral("xmlPreview"));
  auto* title = new QLabel(Tr(texts::kXmlPreviewTitle), this);
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setAccessibleName(Tr(texts::kXmlPreviewTitle));
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

void XmlPreviewPane::ShowPreview(const PreviewText& preview) {
  ShowHead(preview.head);
  ShowSize(preview.line_count, preview.byte_count);
}

void XmlPreviewPane::ShowHead(const std::string& head) {
  xml_ = QString::fromStdString(head);
  QString shown = xml_;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  if (shown.endsWith(QLatin1Char('\n'))) shown.chop(1);
  text_->setPlainText(shown);
  size_->setText(Tr(texts::kCountingSize));
}

void XmlPreviewPane::ShowSize(std::int64_t lines, std::int64_t bytes) {
  QString size =
      Tr(texts::kPreviewSize).arg(CountText(lines), CountText(bytes));
  if (lines > kLines) size += Tr(texts::kPreviewCut).arg(CountText(kLines));
  size_->setText(size);
}

void XmlPreviewPane::ShowLeastSize(std::uint64_t bytes) {
  size_->setText(Tr(texts::kPreviewLeastSize)
                     .arg(QString::fromStdString(SizeText(bytes))));
}

void XmlPreviewPane::ShowNote(const QString& note) {
  xml_.clear();
  text_->setPlainText(QString());
  size_->setText(note);
}

QString XmlPreviewPane::size_text() const { return size_->text(); }

}  // namespace kestrilo::gui
