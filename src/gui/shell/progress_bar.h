#pragma once

#include <QProgressBar>
#include <QString>

namespace kestrilo {

/// ProgressBar1: a value on a 0 to 100 scale with a free text line. The
/// text is shown as given; unlike QProgressBar's format, "%" in a file name
/// means nothing special.
class ProgressBar : public QProgressBar {
  Q_OBJECT

 public:
  explicit ProgressBar(QWidget* parent = nullptr);

  void SetText(const QString& text);
  QString text() const override { return text_; }

 private:
  QString text_;
};

}  // namespace kestrilo
