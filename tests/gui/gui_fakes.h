#pragma once

// Test doubles for the main window: dialogs that answer from a script and
// record what they showed, and a spreadsheet component over in-memory
// workbooks whose range prompt answers from a script.

#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/range_address.h"
#include "engine/workbook_error.h"
#include "gui/shell/dialogs.h"
#include "gui/spreadsheet/spreadsheet_automation.h"
#include "gui/spreadsheet/spreadsheet_instance.h"

namespace kestrilo::testing {

// One shown box: its kind ("message", "question", "error", "input",
// "folder", "files", "open") and its text.
struct Shown {
  QString kind;
  QString text;
};

class ScriptedDialogs : public Dialogs {
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
    return Next(inputs, std::optional<QString>(default_answer));
  }
  QString BrowseForFolder(const QString& prompt,
                          const QString& start_folder) override {
    Record("folder", prompt);
    start_folders.append(start_folder);
    return Next(folders, QString());
  }
  QStringList OpenFileNames(const QString& title,
                            const QStringList& /*filters*/) override {
    Record("files", title);
    return Next(file_lists, QStringList());
  }
  void OpenFolder(const QString& folder) override { Record("open", folder); }

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

class FakeAutomation;

class FakeInstance : public SpreadsheetInstance {
 public:
  FakeInstance(FakeAutomation& owner, std::string path, const Grid& grid)
      : owner_(owner), path_(std::move(path)), grid_(grid) {}
  ~FakeInstance() override;

  int WorkbooksCount() const override { return 1; }
  void SetVisible(bool visible) override;
  std::optional<std::string> PromptForRange() override;
  void Quit() override;
  BlockGeometry Geometry(std::string_view address) const override {
    return ParseAddress(address).areas.front();
  }
  CellValue Value(std::int32_t row, std::int32_t column) const override {
    if (row < 1 || column < 1 || row > static_cast<int>(grid_.size()))
      return CellValue::Empty();
    const auto& cells = grid_[row - 1];
    if (column > static_cast<int>(cells.size())) return CellValue::Empty();
    return CellValue::Text(cells[column - 1]);
  }
  const std::string& path() const { return path_; }

 private:
  FakeAutomation& owner_;
  std::string path_;
  Grid grid_;
};

// The range prompt's answer for one workbook, given the instance: an
// address, or nothing for a cancelled prompt. It may also act on the window
// while "the user" is at the prompt.
using PromptScript = std::function<std::optional<std::string>(FakeInstance&)>;

class FakeAutomation : public SpreadsheetAutomation {
 public:
  bool CanCreateInstance() override { return can_create; }
  bool ExcelIsRunning() override { return running; }
  std::unique_ptr<SpreadsheetInstance> OpenWorkbookInNewInstance(
      const std::string& path) override {
    events.push_back("open " + path);
    const auto found = workbooks.find(path);
    if (found == workbooks.end()) {
      throw WorkbookError(path, "the file is not a workbook we can read");
    }
    ++open_instances;
    return std::make_unique<FakeInstance>(*this, path, found->second);
  }

  std::optional<std::string> Prompt(FakeInstance& instance) {
    events.push_back("prompt " + instance.path());
    if (prompts.empty()) return std::nullopt;
    PromptScript script = std::move(prompts.front());
    prompts.pop_front();
    return script(instance);
  }

  bool can_create = true;
  bool running = false;
  std::map<std::string, Grid> workbooks;
  std::deque<PromptScript> prompts;
  std::vector<std::string> events;
  int open_instances = 0;
};

inline FakeInstance::~FakeInstance() { --owner_.open_instances; }
inline void FakeInstance::SetVisible(bool visible) {
  owner_.events.push_back(std::string(visible ? "show " : "hide ") + path_);
}
inline std::optional<std::string> FakeInstance::PromptForRange() {
  return owner_.Prompt(*this);
}
inline void FakeInstance::Quit() { owner_.events.push_back("quit " + path_); }

// A prompt answered with a fixed address, or cancelled.
inline PromptScript Select(std::string address) {
  return
      [address](FakeInstance&) { return std::optional<std::string>(address); };
}
inline PromptScript Cancel() {
  return [](FakeInstance&) { return std::optional<std::string>(); };
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
