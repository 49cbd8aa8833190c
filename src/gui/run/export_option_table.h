// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <optional>
#include <span>
#include <string>

#include "engine/writing/export_options.h"
#include "gui/common/error_report.h"

namespace kestrilo::gui {

/// What an export option holds, and so which control shows it.
enum class OptionKind {
  kCheck,   ///< on or off, stored "1" or "0": a check box
  kText,    ///< a text, stored as it stands: a line to type in
  kChoice,  ///< one of its choices, stored as the chosen one's code
};

/// Where the options panel puts an option.
enum class OptionPlace {
  /// The option buttons of the frame "Options": a choice's choices, and a
  /// check as one more button that excludes them.
  kLayouts,
  /// Below the layouts, left: options of the cells and tags.
  kCellOptions,
  /// Below the layouts, right: options of the records layout.
  kRecordOptions,
  /// The frame "Flip Row-Column Hierarchy", its choices side by side.
  kHierarchy,
  /// The title frame, whose caption is the option's.
  kTitle,
  /// In the title frame, after the title, with a label of its own.
  kBesideTitle,
};

/// In which layouts an option matters. Elsewhere its control is disabled
/// (keeping its value) and the conversion does without it.
enum class OptionScope {
  kAlways,
  /// The four layouts of the header modes, not the records layout.
  kHeaderModes,
  /// The records layout alone.
  kRecords,
  /// The layouts with both headers or none, where the hierarchy matters.
  kHierarchy,
};

/// One choice of a kChoice option.
struct OptionChoice {
  /// Stored, and handed to `apply`: "1", "utf-8".
  const char* code = nullptr;
  /// Its caption, a text of ui_texts.h with its access key.
  const char* caption = nullptr;
  /// Sets the ExportOptions fields the choice decides.
  void (*apply)(ExportOptions& options) = nullptr;
};

/// One export option of the window. The table of these is the only list of
/// them: the options panel builds its controls from it, the export settings
/// keep, store, restore and apply each by it, and a test holds it against
/// the command line's options. A new option is one row (with its texts in
/// ui_texts.h) and the code that uses its ExportOptions field.
struct ExportOptionRow {
  /// The name it is stored under in the settings, a text of ui_texts.h.
  const char* key = nullptr;
  /// Its value until the user changes it, in stored form.
  const char* default_value = nullptr;
  /// The caption with its access key, a text of ui_texts.h (for a choice
  /// shown as option buttons, the caption of their frame).
  const char* caption = nullptr;
  OptionKind kind = OptionKind::kCheck;
  OptionPlace place = OptionPlace::kCellOptions;
  OptionScope scope = OptionScope::kAlways;
  /// The ExportOptions field a kCheck or kText option sets.
  bool ExportOptions::*flag = nullptr;
  std::string ExportOptions::*text = nullptr;
  /// A kChoice option's choices, in the order shown.
  std::span<const OptionChoice> choices = {};
  /// Where a stored choice that is not even a number is reported at
  /// start-up (it then takes the first choice); without one, any stored
  /// value that is not a code gives the default.
  std::optional<Step> restore_step = std::nullopt;
};

/// Every export option, in the order the panel shows them.
std::span<const ExportOptionRow> ExportOptionRows();

/// The row stored under `key` (a kSetting... text of ui_texts.h). Throws
/// std::out_of_range for a key no row has.
const ExportOptionRow& OptionRowNamed(const char* key);

/// The stored form of a check: "1" or "0".
QString CheckValue(bool on);

/// Sets the ExportOptions field of `row` to what `value` (in stored form)
/// means; a choice code the row lacks changes nothing.
void ApplyOption(const ExportOptionRow& row, const QString& value,
                 ExportOptions& options);

/// `stored` as a value of `row`: a check's "1" or "0", a text as it is, a
/// choice's code (a number written otherwise, "3.0", as that code). Anything
/// else gives the row's default; std::invalid_argument where the row has a
/// restore step and `stored` is not a number at all.
QString ValueFromStored(const ExportOptionRow& row, const QString& stored);

}  // namespace kestrilo::gui
