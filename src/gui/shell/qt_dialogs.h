// SPDX-License-Identifier: MIT

#pragma once

#include <QPointer>
#include <QWidget>

#include "gui/common/dialogs.h"

namespace kestrilo::gui {

/// The real dialogs: Qt message boxes, input dialog and file dialogs, owned
/// by the main window.
class QtDialogs : public Dialogs {
 public:
  explicit QtDialogs(QWidget* owner = nullptr);

  void SetOwner(QWidget* owner) { owner_ = owner; }

  void Message(const QString& text) override;
  bool Question(const QString& text) override;
  void ErrorReport(const QString& text) override;
  std::optional<QString> InputText(const QString& prompt,
                                   const QString& default_answer) override;
  QString BrowseForFolder(const QString& prompt,
                          const QString& start_folder) override;
  QStringList OpenFileNames(const QString& title,
                            const QStringList& filters) override;
  bool OpenFolder(const QString& folder) override;

 private:
  QPointer<QWidget> owner_;
};

}  // namespace kestrilo::gui
