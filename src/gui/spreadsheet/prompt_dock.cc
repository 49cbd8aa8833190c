#include "gui/spreadsheet/prompt_dock.h"

#include <exception>

#include "engine/range_address.h"
#include "engine/workbook_cell_source.h"
#include "engine/xml_writer.h"
#include "gui/spreadsheet/range_prompt.h"
#include "gui/spreadsheet/workbook_window.h"
#include "gui/spreadsheet/xml_preview_pane.h"

namespace kestrilo {

namespace {

// The preview waits for the mouse to rest this long: a drag across a large
// block changes the selection on every move.
constexpr int kPreviewDelayMs = 30;

}  // namespace

PromptDock::PromptDock(WorkbookWindow* window)
    : QDockWidget(tr("Export"), window), window_(window) {
  setObjectName(QStringLiteral("rangePromptDock"));
  setFeatures(QDockWidget::NoDockWidgetFeatures);
  setAllowedAreas(Qt::RightDockWidgetArea);
  hide();
  preview_timer_.setSingleShot(true);
  preview_timer_.setInterval(kPreviewDelayMs);
  connect(&preview_timer_, &QTimer::timeout, this, &PromptDock::UpdatePreview);
}

bool PromptDock::Begin(const gui::PromptContext& context,
                       AnswerFunction answered) {
  if (prompt_ != nullptr) return false;
  answered_ = std::move(answered);
  options_ = context.options;
  prompt_ = new RangePrompt(
      window_->grid(),
      [this](const RangeAddress& address) {
        return window_->SelectAddress(address);
      },
      this);
  prompt_->SetRunPosition(context.position, context.count, context.file_name);
  connect(prompt_, &RangePrompt::Confirmed, this,
          [this](const QString& address) { Answer(address.toStdString()); });
  connect(prompt_, &RangePrompt::Cancelled, this,
          [this] { Answer(std::nullopt); });
  setWidget(prompt_);
  show();
  UpdatePreview();
  return true;
}

void PromptDock::End() {
  preview_timer_.stop();
  answered_ = nullptr;
  if (prompt_ == nullptr) return;
  hide();
  setWidget(nullptr);
  // Later: this may run inside one of the prompt's own signals.
  prompt_->deleteLater();
  prompt_ = nullptr;
}

void PromptDock::Answer(const std::optional<std::string>& address) {
  AnswerFunction answered = std::move(answered_);
  End();
  if (answered) answered(address);
}

void PromptDock::SetOptions(const ExportOptions& options) {
  options_ = options;
  UpdatePreview();
}

void PromptDock::SelectionChanged() {
  if (prompt_ != nullptr) preview_timer_.start();
}

void PromptDock::UpdatePreview() {
  if (prompt_ == nullptr) return;
  XmlPreviewPane* pane = prompt_->preview();
  const std::optional<BlockGeometry> block = window_->SelectedBlock();
  if (!block) {
    pane->ShowNote(tr("The selected rows or columns hold no cells."));
    return;
  }
  try {
    // Built from the cells alone: no progress, no wait pointer.
    WorkbookCellSource cells(*window_->workbook(), window_->active_sheet());
    pane->ShowPreview(BlockPreview(cells, options_, FormatArea(*block),
                                   XmlPreviewPane::kLines));
  } catch (const std::exception& error) {
    pane->ShowNote(QString::fromStdString(error.what()));
  }
}

}  // namespace kestrilo
