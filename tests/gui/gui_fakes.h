// SPDX-License-Identifier: MIT

#pragma once

// Test doubles for the main window and the export run: dialogs that answer
// from a script and record what they showed, and a workbook opener over
// in-memory workbooks whose sessions answer from a script, later, as the
// workbook window does.

#include <QObject>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/conversion/conversion.h"
#include "gui/common/dialogs.h"
#include "gui/common/workbook_opener.h"
#include "gui/common/workbook_session.h"

namespace kestrilo::testing {

using gui::PromptContext;
using gui::WorkbookSession;

// One shown box: its kind ("message", "question", "error", "input",
// "folder", "files", "open") and its text.
struct Shown {
  QString kind;
  QString text;
};

class ScriptedDialogs : public gui::Dialogs {
 public:
  void Message(const QString& text) override { Record("message", text); }
  bool Question(const QString& text) override {
    Record("question", text);
    return Next(answers, true);
  }
  void ErrorReport(const QString& text) override { Record("error", text); }
  std::optional<QString> InputText(const QString& prompt,
                                   const QString& default_answer) override {
    Record("input", prompt);
    input_defaults.append(default_answer);
    return Next(inputs, std::optional<QString>(default_answer));
  }
  QString BrowseForFolder(const QString& prompt,
                          const QString& start_folder) override {
    Record("folder", prompt);
    start_folders.append(start_folder);
    return Next(folders, QString());
  }
  QStringList OpenFileNames(const QString& title,
                            const QStringList& filters) override {
    Record("files", title);
    file_filters = filters;
    return Next(file_lists, QStringList());
  }
  bool OpenFolder(const QString& folder) override {
    Record("open", folder);
    return can_open_folders;
  }

  QStringList Texts(const QString& kind) const {
    QStringList texts;
    for (const Shown& box : shown) {
      if (box.kind == kind) texts.append(box.text);
    }
    return texts;
  }
  QStringList Kinds() const {
    QStringList kinds;
    for (const Shown& box : shown) kinds.append(box.kind);
    return kinds;
  }

  std::vector<Shown> shown;
  std::deque<bool> answers;
  std::deque<std::optional<QString>> inputs;
  std::deque<QString> folders;
  std::deque<QStringList> file_lists;
  QStringList start_folders;
  QStringList input_defaults;
  QStringList file_filters;
  bool can_open_folders = true;

 private:
  void Record(const char* kind, const QString& text) {
    shown.push_back({QString::fromLatin1(kind), text});
  }
  template <typename T>
  static T Next(std::deque<T>& queue, T fallback) {
    if (queue.empty()) return fallback;
    fallback = std::move(queue.front());
    queue.pop_front();
    return fallback;
  }
};

// An in-memory workbook: the active sheet's cells as rows of texts, from A1.
using Grid = std::vector<std::vector<std::string>>;

class FakeSession;

// The range prompt's answer for one workbook: an address, or nothing for a
// cancelled prompt. It may also act on the window while "the user" is at
// the prompt.
using PromptScript =
    std::function<std::optional<std::string>(const PromptContext&)>;

class FakeOpener : public gui::WorkbookOpener {
 public:
  bool CanOpenWindows() override { return can_open; }
  bool AnyWindowOpen() override { return any_open; }
  std::unique_ptr<WorkbookSession> Create(const std::string& path) override;

  bool can_open = true;
  bool any_open = false;
  std::map<std::string, Grid> workbooks;
  std::deque<PromptScript> prompts;
  std::vector<std::string> events;
  int open_sessions = 0;
};

// A session that answers each call from the event loop, as the workbook
// window does, and never after it is destroyed.
class FakeSession : public QObject, public WorkbookSession {
 public:
  FakeSession(FakeOpener& opener, std::string path)
      : opener_(opener), path_(std::move(path)) {
    ++opener_.open_sessions;
  }
  ~FakeSession() override {
    *alive_ = false;
    --opener_.open_sessions;
  }

  void Open(OpenedCallback opened) override {
    opener_.events.push_back("open " + path_);
    QTimer::singleShot(0, this, [this, opened] {
      if (opener_.workbooks.count(path_) == 0) {
        opened(path_ + ": the file is not a workbook we can read");
      } else {
        opened(std::nullopt);
      }
    });
  }
  void Prompt(const PromptContext& context,
              AnsweredCallback answered) override {
    opener_.events.push_back("prompt " + path_);
    QTimer::singleShot(0, this, [this, context, answered] {
      const std::shared_ptr<bool> alive = alive_;
      std::optional<std::string> address;
      if (!opener_.prompts.empty()) {
        PromptScript script = std::move(opener_.prompts.front());
        opener_.prompts.pop_front();
        address = script(context);
      }
      if (*alive) answered(address);
    });
  }
  void UpdateOptions(const ExportOptions& /*options*/) override {
    opener_.events.push_back("options " + path_);
  }
  ConversionReport Convert(const ExportOptions& options,
                           const std::string& address, XmlSink& sink,
                           std::uint64_t max_output_bytes) override {
    Workbook workbook(path_, "csv");
    Sheet& sheet = workbook.AddSheet("Sheet1", false);
    const auto& rows = opener_.workbooks.at(path_);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      for (std::size_t j = 0; j < rows[i].size(); ++j) {
        if (!rows[i][j].empty()) {
          sheet.SetText(static_cast<std::int32_t>(i + 1),
                        static_cast<std::int32_t>(j + 1), rows[i][j]);
        }
      }
    }
    sheet.Finish();
    ConversionRequest request;
    request.sheet = SheetChoice::AtIndex(0);
    request.block = address;
    request.options = options;
    request.max_output_bytes = max_output_bytes;
    return ConvertWorkbook(workbook, request, sink);
  }
  void Quit() override { opener_.events.push_back("quit " + path_); }

 private:
  FakeOpener& opener_;
  std::string path_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

inline std::unique_ptr<WorkbookSession> FakeOpener::Create(
    const std::string& path) {
  return std::make_unique<FakeSession>(*this, path);
}

// A prompt answered with a fixed address, or cancelled.
inline PromptScript Select(std::string address) {
  return [address](const PromptContext&) {
    return std::optional<std::string>(address);
  };
}
inline PromptScript Cancel() {
  return [](const PromptContext&) { return std::optional<std::string>(); };
}

// Settings kept away from the user's own, emptied for each test.
// Each test program keeps its settings in a folder of its own: Qt's test
// mode alone would share one file among test programs running in parallel.
inline void UseTestSettings() {
  QStandardPaths::setTestModeEnabled(true);
  static QTemporaryDir folder;
  QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                     folder.path());
}
inline void ClearSettings() {
  QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Kestrilo"));
  settings.clear();
  settings.sync();
}
inline void StoreSetting(const QString& name, const QString& value) {
  QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Kestrilo"));
  settings.setValue(QStringLiteral("Kestrilo/") + name, value);
  settings.sync();
}
inline QVariant StoredSetting(const QString& name) {
  QSettings settings(QStringLiteral("Velmora"), QStringLiteral("Kestrilo"));
  return settings.value(QStringLiteral("Kestrilo/") + name);
}

}  // namespace kestrilo::testing
