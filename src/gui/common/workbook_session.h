// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "engine/conversion/conversion_report.h"
#include "engine/conversion/output_budget.h"
#include "engine/writing/export_options.h"
#include "engine/writing/string_sink.h"
#include "engine/writing/xml_sink.h"

namespace kestrilo::gui {

/// What the range prompt shows beside the workbook: where the run stands
/// ("Workbook 2 of 4: name.xlsx"), the options its live preview uses, and
/// what "Stop the Run" does.
struct PromptContext {
  int position = 1;  ///< 1-based place of this workbook in the run
  int count = 1;     ///< workbooks in the run
  QString file_name;
  ExportOptions options;
  /// Asks to end the whole run; called from the event loop, while the
  /// prompt is up. Without it the prompt offers no "Stop the Run".
  std::function<void()> stop_run;
};

/// One workbook opened in the workbook window, as an export run drives it:
/// open, prompt, convert, quit. Answers come later, on the GUI thread,
/// through the callback given, at most once per call, and never after the
/// session is destroyed; so no caller re-enters the event loop. Destroying
/// the session closes its window and frees the workbook. Tests plug in a
/// scripted session of their own.
class WorkbookSession {
 public:
  /// Nothing on success, or a message naming the file and the problem.
  using OpenedCallback =
      std::function<void(const std::optional<std::string>& error)>;
  /// The block's absolute address (such as "$B$2:$D$4"), or nothing when
  /// the user cancelled (Cancel, Escape or closing the window).
  using AnsweredCallback =
      std::function<void(const std::optional<std::string>& address)>;

  virtual ~WorkbookSession() = default;

  /// Reads the workbook (off the GUI thread where it takes long) and shows
  /// it; then calls `opened`.
  virtual void Open(OpenedCallback opened) = 0;
  /// Asks the user to highlight a block; then calls `answered`.
  virtual void Prompt(const PromptContext& context,
                      AnsweredCallback answered) = 0;
  /// New options while the prompt is up (the user changed them in the main
  /// window): the preview follows them.
  virtual void UpdateOptions(const ExportOptions& options) = 0;
  /// Writes the XML of the block at `address` of the active sheet under
  /// `options` into `sink` as it is made, through the engine's one
  /// conversion (ConvertWorkbook): whole rows and columns stand for the
  /// cells they hold, and a block that holds none is skipped (the report
  /// says why; nothing is written). Throws an exception whose message names
  /// the problem for a block it can't convert, and whatever the sink
  /// throws.
  /// More than `max_output_bytes` (0: no limit) of XML throws
  /// OutputBudgetExceeded, before anything is written where the block's
  /// least XML is already larger.
  virtual ConversionReport Convert(const ExportOptions& options,
                                   const std::string& address, XmlSink& sink,
                                   std::uint64_t max_output_bytes) = 0;
  /// The same XML, whole, in memory.
  std::string ConvertToText(const ExportOptions& options,
                            const std::string& address) {
    StringSink text;
    Convert(options, address, text, kDefaultMaxOutput);
    return text.Take();
  }
  /// Closes the window; the session answers nothing more.
  virtual void Quit() = 0;
};

}  // namespace kestrilo::gui
