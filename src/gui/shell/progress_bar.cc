#include "gui/shell/progress_bar.h"

namespace kestrilo {

ProgressBar::ProgressBar(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 100);
  setValue(0);
  setTextVisible(true);
  setAlignment(Qt::AlignCenter);
}

void ProgressBar::SetText(const QString& text) {
  text_ = text;
  update();
}

}  // namespace kestrilo
