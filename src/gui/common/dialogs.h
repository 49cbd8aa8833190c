// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace kestrilo::gui {

/// Every message box, prompt and chooser the main window shows, behind one
/// interface so that tests can script them and no modal box ever blocks a
/// test.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  /// A message with an OK button only, no icon, the application title as
  /// caption.
  virtual void Message(const QString& text) = 0;
  /// A question with Yes and No (Yes the default), no icon, the application
  /// title as caption. True means Yes.
  virtual bool Question(const QString& text) = 0;
  /// The error report box: caption "Application Error", exclamation icon,
  /// OK button.
  virtual void ErrorReport(const QString& text) = 0;
  /// A text prompt with the application title as caption; std::nullopt when
  /// the user cancels.
  virtual std::optional<QString> InputText(const QString& prompt,
                                           const QString& default_answer) = 0;
  /// A folder chooser opened at `start_folder`; the chosen folder in native
  /// form, or "" when the user cancels.
  virtual QString BrowseForFolder(const QString& prompt,
                                  const QString& start_folder) = 0;
  /// A multi-select open-file dialog; an empty list on cancel. `filters` are
  /// QFileDialog name filters, the first one being the default. A chosen
  /// file that cannot be handed back as a local path is an empty name.
  virtual QStringList OpenFileNames(const QString& title,
                                    const QStringList& filters) = 0;
  /// Asks the desktop to open a folder in its file browser; false when no
  /// file browser could be started.
  virtual bool OpenFolder(const QString& folder) = 0;
};

}  // namespace kestrilo::gui
