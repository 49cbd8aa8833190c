// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <memory>
#include <string>

#include "gui/common/workbook_session.h"

namespace kestrilo::gui {

class WorkbookWindow;

/// A WorkbookSession over a workbook window of our own. Answers reach the
/// caller from the event loop, never from inside the window's own event
/// handling, so that a caller may free the session in its callback.
class WindowWorkbookSession : public QObject, public WorkbookSession {
  Q_OBJECT

 public:
  explicit WindowWorkbookSession(std::string path);
  ~WindowWorkbookSession() override;

  void Open(OpenedCallback opened) override;
  void Prompt(const PromptContext& context, AnsweredCallback answered) override;
  void UpdateOptions(const ExportOptions& options) override;
  ConversionReport Convert(const ExportOptions& options,
                           const std::string& address, XmlSink& sink,
                           std::uint64_t max_output_bytes) override;
  void Quit() override;

  /// The window, or nullptr after Quit.
  WorkbookWindow* window() const { return window_.get(); }

 private:
  /// Calls `call` soon, from the event loop, unless the session is gone.
  void Later(std::function<void()> call);

  std::string path_;
  std::unique_ptr<WorkbookWindow> window_;
  // Cleared by the destructor and Quit: queued answers check it first.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace kestrilo::gui
