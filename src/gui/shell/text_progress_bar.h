// SPDX-License-Identifier: MIT

#pragma once

#include <QProgressBar>
#include <QString>

namespace kestrilo::gui {

/// A progress bar with a free text line: a value on a 0 to 100 scale and
/// the text shown as given (unlike QProgressBar's format, "%" in a file
/// name means nothing special).
class TextProgressBar : public QProgressBar {
 public:
  explicit TextProgressBar(QWidget* parent = nullptr);

  void SetText(const QString& text);
  QString text() const override { return text_; }

 private:
  QString text_;
};

}  // namespace kestrilo::gui
