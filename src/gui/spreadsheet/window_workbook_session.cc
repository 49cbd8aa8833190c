// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/window_workbook_session.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <exception>
#include <stdexcept>
#include <utility>

#include "gui/common/path_text.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/spreadsheet/block_conversion.h"
#include "gui/spreadsheet/window_conversion_observer.h"
#include "gui/spreadsheet/workbook_window.h"

namespace kestrilo::gui {
namespace {

// Reading that takes longer than this shows the window with its loading
// page, so that the user sees what the program is waiting for.
constexpr int kShowLoadingAfterMs = 300;

}  // namespace

WindowWorkbookSession::WindowWorkbookSession(std::string path)
    : path_(std::move(path)), window_(std::make_unique<WorkbookWindow>()) {}

WindowWorkbookSession::~WindowWorkbookSession() { *alive_ = false; }

void WindowWorkbookSession::Later(std::function<void()> call) {
  // Queued on the application, not on the session or its window: the call
  // may free both.
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [alive = std::weak_ptr<bool>(alive_), call = std::move(call)] {
        const std::shared_ptr<bool> still = alive.lock();
        if (still && *still) call();
      },
      Qt::QueuedConnection);
}

void WindowWorkbookSession::Open(OpenedCallback opened) {
  WorkbookWindow* window = window_.get();
  connect(
      window, &WorkbookWindow::LoadFinished, this,
      [this, window, opened = std::move(opened)] {
        std::optional<std::string> error;
        try {
          window->WaitUntilLoaded();  // returns at once: loading ended
          if (window->workbook() == nullptr) {
            error = path_ + Tr(texts::kReadingInterrupted).toStdString();
          }
        } catch (const std::exception& failure) {
          error = failure.what();
        }
        Later([opened, error] { opened(error); });
      },
      Qt::SingleShotConnection);
  window->StartLoading(path_);
  QPointer<WorkbookWindow> watched = window;
  QTimer::singleShot(kShowLoadingAfterMs, window, [watched] {
    if (watched && watched->loading()) watched->show();
  });
}

void WindowWorkbookSession::Prompt(const PromptContext& context,
                                   AnsweredCallback answered) {
  PromptContext shown = context;
  if (shown.file_name.isEmpty()) {
    shown.file_name = QFileInfo(PathText(path_)).fileName();
  }
  const bool prompting =
      window_ != nullptr &&
      window_->BeginPrompt(
          shown, [this, answered](const std::optional<std::string>& address) {
            Later([answered, address] { answered(address); });
          });
  // No workbook to prompt over, or a prompt up already: nothing chosen.
  if (!prompting) Later([answered] { answered(std::nullopt); });
}

void WindowWorkbookSession::UpdateOptions(const ExportOptions& options) {
  if (window_) window_->SetPreviewOptions(options);
}

ConversionReport WindowWorkbookSession::Convert(
    const ExportOptions& options, const std::string& address, XmlSink& sink,
    std::uint64_t max_output_bytes) {
  if (!window_ || window_->workbook() == nullptr ||
      window_->active_sheet() < 0) {
    throw std::runtime_error(path_ + Tr(texts::kWorkbookNotOpen).toStdString());
  }
  WindowConversionObserver observer(*window_);
  return ConvertBlock(*window_->workbook(), window_->active_sheet(), options,
                      address, sink, max_output_bytes, &observer);
}

void WindowWorkbookSession::Quit() {
  *alive_ = false;
  if (!window_) return;
  window_->EndPrompt();
  window_->hide();
  window_.reset();
}

}  // namespace kestrilo::gui
