// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/prompt_dock.h"

#include <algorithm>
#include <exception>

#include "engine/conversion/output_budget.h"
#include "engine/model/range_address.h"
#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"
#include "gui/spreadsheet/block_conversion.h"
#include "gui/spreadsheet/preview_sink.h"
#include "gui/spreadsheet/range_prompt.h"
#include "gui/spreadsheet/sheet_grid.h"
#include "gui/spreadsheet/typed_reference.h"
#include "gui/spreadsheet/workbook_window.h"
#include "gui/spreadsheet/xml_preview_pane.h"

namespace kestrilo::gui {

namespace {

// The preview waits for the mouse to rest this long: a drag across a large
// block changes the selection on every move.
constexpr int kPreviewDelayMs = 30;
// Beyond this much XML at the least, the preview gives that least size
// instead of counting the whole text.
constexpr std::uint64_t kCountedUpTo = 1'000'000'000;
// Blocks up to this many cells are counted at once; larger ones show their
// first lines at once and their size when a thread has counted it.
constexpr std::int64_t kCountedAtOnce = 50'000;
// The dock grows with what it shows up to this many average characters:
// a long file name is shortened rather than squeezing the grid.
constexpr int kMaxWidthCharacters = 60;

}  // namespace

PromptDock::PromptDock(WorkbookWindow* window)
    : QDockWidget(Tr(texts::kPromptDockTitle), window), window_(window) {
  setObjectName(QStringLiteral("rangePromptDock"));
  setFeatures(QDockWidget::NoDockWidgetFeatures);
  setAllowedAreas(Qt::RightDockWidgetArea);
  setMaximumWidth(fontMetrics().averageCharWidth() * kMaxWidthCharacters);
  hide();
  preview_timer_.setSingleShot(true);
  preview_timer_.setInterval(kPreviewDelayMs);
  connect(&preview_timer_, &QTimer::timeout, this, &PromptDock::UpdatePreview);
  connect(&counter_, &PreviewCounter::Counted, this,
          [this](qint64 lines, qint64 bytes) {
            if (prompt_ != nullptr) prompt_->preview()->ShowSize(lines, bytes);
          });
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
      [this](const QString& text) {
        return TypedReference::Resolve(window_->workbook(),
                                       window_->active_sheet(), text);
      },
      this);
  prompt_->SetRunPosition(context.position, context.count, context.file_name);
  prompt_->SetStopRun(context.stop_run);
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
  counter_.Stop();
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
  counter_.Stop();
  if (prompt_ == nullptr) return;
  XmlPreviewPane* pane = prompt_->preview();
  const std::optional<BlockGeometry> block = window_->SelectedBlock();
  if (!block) {
    pane->ShowNote(Tr(texts::kBlockHoldsNoCells));
    return;
  }
  // The address the prompt answers, converted as the file will be.
  const std::string address = FormatAddress(window_->grid()->areas());
  const Workbook& workbook = *window_->workbook();
  const int sheet = window_->active_sheet();
  const bool count_now =
      std::int64_t{block->row_count} * block->column_count <= kCountedAtOnce;
  try {
    PreviewSink sink(XmlPreviewPane::kLines, !count_now);
    try {
      ConvertBlock(workbook, sheet, options_, address, sink, 0);
      pane->ShowPreview(sink.text());
      return;
    } catch (const PreviewSink::HeadTaken&) {
      pane->ShowHead(sink.text().head);
    }
    // A block whose XML is plainly too large to write is not counted to
    // its end: what it takes at the least says enough.
    const std::uint64_t least = LeastXmlBytes(*block, options_);
    if (least > kCountedUpTo) {
      pane->ShowLeastSize(least);
      return;
    }
    counter_.Start(workbook, sheet, options_, address);
  } catch (const std::exception& error) {
    pane->ShowNote(QString::fromStdString(error.what()));
  }
}

}  // namespace kestrilo::gui
