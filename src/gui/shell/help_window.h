// SPDX-License-Identifier: MIT

#pragma once

#include <QWidget>

class QTextBrowser;

namespace kestrilo::gui {

/// Help > Contents: the program's README, the user's guide to the window and
/// to kestrilo-cli, in a window of its own beside the main window. It stays
/// open while the user works.
class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  QTextBrowser* text() const { return text_; }

 private:
  QTextBrowser* text_;
};

}  // namespace kestrilo::gui
