#pragma once

#include <QObject>
#include <QPointer>
#include <memory>
#include <string>

#include "gui/common/workbook_session.h"

namespace kestrilo {
class WorkbookWindow;
}

namespace kestrilo::gui {

/// A WorkbookSession over a workbook window of our own.
class WindowWorkbookSession : public QObject, public WorkbookSession {
  Q_OBJECT

 public:
  explicit WindowWorkbookSession(std::string path);
  ~WindowWorkbookSession() override;

  void Open(OpenedCallback opened) override;
  void Prompt(const PromptContext& context, AnsweredCallback answered) override;
  void UpdateOptions(const ExportOptions& options) override;
  std::string Convert(const ExportOptions& options,
                      const std::string& address) override;
  void Quit() override;

  /// The window, or nullptr after Quit.
  WorkbookWindow* window() const { return window_.get(); }

 private:
  std::string path_;
  std::unique_ptr<WorkbookWindow> window_;
};

}  // namespace kestrilo::gui
