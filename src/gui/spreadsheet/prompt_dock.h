// SPDX-License-Identifier: MIT

#pragma once

#include <QDockWidget>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

#include "engine/writing/export_options.h"
#include "gui/common/workbook_session.h"
#include "gui/spreadsheet/preview_counter.h"

namespace kestrilo::gui {

class RangePrompt;
class WorkbookWindow;

/// The dock beside the grid that holds the range prompt while the window
/// asks for a block: it keeps the answer function, the options of the live
/// preview and the preview's timing. It can't be closed or floated away
/// from the workbook it belongs to.
class PromptDock : public QDockWidget {
  Q_OBJECT

 public:
  using AnswerFunction =
      std::function<void(const std::optional<std::string>& address)>;

  explicit PromptDock(WorkbookWindow* window);

  /// Shows a new prompt; false while one is up.
  bool Begin(const gui::PromptContext& context, AnswerFunction answered);
  /// Takes the prompt down without answering.
  void End();
  /// Takes the prompt down, then answers (last: the answer may free the
  /// window).
  void Answer(const std::optional<std::string>& address);
  void SetOptions(const ExportOptions& options);
  /// The selection changed: the preview follows once the mouse rests.
  void SelectionChanged();
  /// Stops counting the preview's size: the workbook is about to go.
  void StopCounting() { counter_.Stop(); }

  RangePrompt* prompt() const { return prompt_; }

 private:
  void UpdatePreview();

  WorkbookWindow* window_;
  RangePrompt* prompt_ = nullptr;
  AnswerFunction answered_;
  ExportOptions options_;
  QTimer preview_timer_;
  PreviewCounter counter_;
};

}  // namespace kestrilo::gui
