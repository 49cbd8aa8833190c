// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <string>
#include <vector>

class QWidget;

namespace kestrilo::gui {

/// Takes files and folders dragged from a file manager onto a widget: a
/// drag that brings local files or folders may be dropped, any other is
/// refused.
class FileDropTarget : public QObject {
  Q_OBJECT

 public:
  /// Accepts drops on `widget`, which becomes the target's parent.
  explicit FileDropTarget(QWidget* widget);

 signals:
  /// The local files and folders of a drop, in the drag source's order,
  /// as path bytes. Sent from the event loop just after the drop, so that
  /// the drag source hears at once that the drop is done, whatever the
  /// paths lead to.
  void FilesDropped(const std::vector<std::string>& paths);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace kestrilo::gui
