#pragma once

// Shared by the file list's Qt tests: scripted dialogs, temporary folder
// trees and a way to make a folder truly unreadable when running as root.

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <optional>

#include "../engine/without_read_override.h"
#include "gui/common/dialogs.h"

namespace kestrilo {

/// Dialogs that answer from scripts and record what they were asked.
class ScriptedDialogs : public gui::Dialogs {
 public:
  void Message(const QString& text) override { messages << text; }
  bool Question(const QString& text) override {
    questions << text;
    return question_answer;
  }
  void ErrorReport(const QString& text) override { error_reports << text; }
  std::optional<QString> InputText(const QString& prompt,
                                   const QString& default_answer) override {
    input_prompts << prompt;
    input_defaults << default_answer;
    if (input_answers.empty()) return std::nullopt;
    const QString answer = input_answers.front();
    input_answers.pop_front();
    if (answer.isNull()) return std::nullopt;
    return answer;
  }
  QString BrowseForFolder(const QString& prompt,
                          const QString& start_folder) override {
    browse_prompts << prompt;
    browse_starts << start_folder;
    if (folder_answers.empty()) return QString();
    QString answer = folder_answers.front();
    folder_answers.pop_front();
    return answer;
  }
  QStringList OpenFileNames(const QString& title,
                            const QStringList& filters) override {
    open_titles << title;
    open_filters = filters;
    if (file_answers.empty()) return {};
    QStringList answer = file_answers.front();
    file_answers.pop_front();
    return answer;
  }
  bool OpenFolder(const QString& folder) override {
    opened_folders << folder;
    return can_open_folders;
  }

  QStringList messages, questions, error_reports, input_prompts, input_defaults,
      browse_prompts, browse_starts, open_titles, open_filters, opened_folders;
  bool question_answer = false;
  bool can_open_folders = true;
  /// A null QString() stands for Cancel; QString("") for an empty answer.
  std::deque<QString> input_answers;
  std::deque<QString> folder_answers;
  std::deque<QStringList> file_answers;
};

/// A temporary folder tree, removed at the end (permissions restored first).
class TempTree {
 public:
  QString root() const { return dir_.path(); }
  QString Folder(const QString& relative) const {
    const QString path = root() + "/" + relative;
    QDir().mkpath(path);
    return path;
  }
  QString File(const QString& relative) const {
    const QString path = root() + "/" + relative;
    QDir().mkpath(path.left(path.lastIndexOf('/')));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("x");
    return path;
  }
  void Lock(const QString& relative) {
    locked_ << root() + "/" + relative;
    QFile::setPermissions(locked_.last(), QFileDevice::Permissions());
  }
  ~TempTree() {
    for (const QString& path : locked_) {
      QFile::setPermissions(path, QFileDevice::ReadOwner |
                                      QFileDevice::WriteOwner |
                                      QFileDevice::ExeOwner);
    }
  }

 private:
  QTemporaryDir dir_;
  QStringList locked_;
};

}  // namespace kestrilo
