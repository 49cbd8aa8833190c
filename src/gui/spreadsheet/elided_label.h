// SPDX-License-Identifier: MIT

#pragma once

#include <QLabel>
#include <QString>

namespace kestrilo::gui {

/// A one-line label that shows a text with a name in it ("Workbook 2 of 4:
/// %3"). It asks for the width of all of it and takes less, the name then
/// shortened in the middle ("Quarterly…2021.xlsx"): the widget it sits in
/// bounds it, instead of it growing the window to fit a long name. The tooltip
/// shows the whole name; a screen reader reads the whole text.
class ElidedLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ElidedLabel(QWidget* parent = nullptr);

  /// Shows `pattern` with its one remaining placeholder ("%3") filled by
  /// `name`.
  void SetNamedText(const QString& pattern, const QString& name);
  /// The text with the whole name.
  QString full_text() const { return pattern_.arg(name_); }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();

  QString pattern_;
  QString name_;
};

}  // namespace kestrilo::gui
