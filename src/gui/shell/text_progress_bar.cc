// SPDX-License-Identifier: MIT

#include "gui/shell/text_progress_bar.h"

namespace kestrilo::gui {

TextProgressBar::TextProgressBar(QWidget* parent) : QProgressBar(parent) {
  setRange(0, 100);
  setValue(0);
  setTextVisible(true);
  setAlignment(Qt::AlignCenter);
}

void TextProgressBar::SetText(const QString& text) {
  text_ = text;
  update();
}

}  // namespace kestrilo::gui
