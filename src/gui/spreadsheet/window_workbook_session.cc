#include "gui/spreadsheet/window_workbook_session.h"

#include <QTimer>
#include <exception>
#include <utility>

#include "engine/workbook_cell_source.h"
#include "engine/xml_writer.h"
#include "gui/spreadsheet/workbook_window.h"

namespace kestrilo::gui {
namespace {

// Reading that takes longer than this shows the window with its loading
// page, so that the user sees what the program is waiting for.
constexpr int kShowLoadingAfterMs = 300;

}  // namespace

WindowWorkbookSession::WindowWorkbookSession(std::string path)
    : path_(std::move(path)), window_(std::make_unique<WorkbookWindow>()) {}

WindowWorkbookSession::~WindowWorkbookSession() = default;

void WindowWorkbookSession::Open(OpenedCallback opened) {
  WorkbookWindow* window = window_.get();
  connect(
      window, &WorkbookWindow::LoadFinished, this,
      [this, window, opened = std::move(opened)] {
        std::optional<std::string> error;
        try {
          window->WaitUntilLoaded();  // returns at once: loading ended
          if (window->workbook() == nullptr) {
            error = path_ + ": reading was interrupted";
          }
        } catch (const std::exception& failure) {
          error = failure.what();
        }
        opened(error);
      },
      Qt::SingleShotConnection);
  window->StartLoading(QString::fromStdString(path_));
  QPointer<WorkbookWindow> watched = window;
  QTimer::singleShot(kShowLoadingAfterMs, window, [watched] {
    if (watched && watched->loading()) watched->show();
  });
}

void WindowWorkbookSession::Prompt(const PromptContext& /*context*/,
                                   AnsweredCallback answered) {
  // The prompt runs after the caller has returned, so that the caller never
  // waits inside it.
  QTimer::singleShot(0, this, [this, answered = std::move(answered)] {
    if (!window_) return;
    window_->show();
    std::optional<std::string> address;
    try {
      address = window_->PromptForRange();
    } catch (...) {
      address.reset();
    }
    if (window_) answered(address);
  });
}

void WindowWorkbookSession::UpdateOptions(const ExportOptions& /*options*/) {}

std::string WindowWorkbookSession::Convert(const ExportOptions& options,
                                           const std::string& address) {
  if (!window_ || window_->workbook() == nullptr ||
      window_->active_sheet() < 0) {
    throw std::runtime_error(path_ + ": the workbook is not open.");
  }
  WorkbookCellSource cells(*window_->workbook(), window_->active_sheet());
  return BlockToXml(cells, options, address);
}

void WindowWorkbookSession::Quit() {
  if (!window_) return;
  window_->hide();
  window_.reset();
}

}  // namespace kestrilo::gui
