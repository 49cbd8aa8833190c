// SPDX-License-Identifier: MIT

#include "gui/run/export_option_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include "gui/common/translation.h"
#include "gui/common/ui_texts.h"

namespace kestrilo::gui {
namespace {

// Which of the block's first row and column hold header names; the codes
// are those every earlier version stored.
constexpr OptionChoice kHeaderModes[] = {
    {"1", texts::kHeaderRowOption,
     [](ExportOptions& o) {
       o.header_row = true;
       o.header_column = false;
     }},
    {"2", texts::kHeaderColumnOption,
     [](ExportOptions& o) {
       o.header_row = false;
       o.header_column = true;
     }},
    {"3", texts::kBothHeadersOption,
     [](ExportOptions& o) {
       o.header_row = true;
       o.header_column = true;
     }},
    {"4", texts::kNoHeadersOption,
     [](ExportOptions& o) {
       o.header_row = false;
       o.header_column = false;
     }},
};

constexpr OptionChoice kHierarchies[] = {
    {"1", texts::kRowFirstOption, [](ExportOptions& o) { o.row_first = true; }},
    {"2", texts::kColumnFirstOption,
     [](ExportOptions& o) { o.row_first = false; }},
};

using P = OptionPlace;
using S = OptionScope;
using K = OptionKind;
using O = ExportOptions;

constexpr ExportOptionRow kRows[] = {
    {.key = texts::kSettingHeaderMode,
     .default_value = "1",
     .caption = texts::kHeaderModeGroup,
     .kind = K::kChoice,
     .place = P::kLayouts,
     .scope = S::kHeaderModes,
     .choices = kHeaderModes,
     .restore_step = Step::kRestoreHeaderMode},
    // Stored apart from the header mode, so that the header mode stored
    // keeps the codes earlier versions read.
    {.key = texts::kSettingRecords,
     .default_value = "0",
     .caption = texts::kRecordsOption,
     .place = P::kLayouts,
     .flag = &O::records},
    {.key = texts::kSettingEscapeText,
     .default_value = "1",
     .caption = texts::kEscapeTextCheck,
     .scope = S::kHeaderModes,
     .flag = &O::escape_text},
    {.key = texts::kSettingKeepEmpty,
     .default_value = "0",
     .caption = texts::kKeepEmptyCheck,
     .place = P::kRecordOptions,
     .scope = S::kRecords,
     .flag = &O::keep_empty},
    {.key = texts::kSettingValidNames,
     .default_value = "1",
     .caption = texts::kValidNamesCheck,
     .scope = S::kHeaderModes,
     .flag = &O::valid_names},
    {.key = texts::kSettingWriteSchema,
     .default_value = "0",
     .caption = texts::kWriteSchemaCheck,
     .place = P::kRecordOptions,
     .scope = S::kRecords,
     .flag = &O::schema},
    {.key = texts::kSettingAsDisplayed,
     .default_value = "0",
     .caption = texts::kAsDisplayedCheck,
     .flag = &O::as_displayed},
    {.key = texts::kSettingHierarchy,
     .default_value = "1",
     .caption = texts::kHierarchyGroup,
     .kind = K::kChoice,
     .place = P::kHierarchy,
     .scope = S::kHierarchy,
     .choices = kHierarchies,
     .restore_step = Step::kRestoreHierarchy},
    {.key = texts::kSettingTitle,
     .default_value = texts::kDefaultTitle,
     .caption = texts::kTitleGroup,
     .kind = K::kText,
     .place = P::kTitle,
     .text = &O::title},
    {.key = texts::kSettingRecordTag,
     .default_value = texts::kDefaultRecordTag,
     .caption = texts::kRecordTagLabel,
     .kind = K::kText,
     .place = P::kBesideTitle,
     .scope = S::kRecords,
     .text = &O::record_tag},
};

const OptionChoice* FindChoice(const ExportOptionRow& row,
                               const QString& code) {
  const auto found =
      std::find_if(row.choices.begin(), row.choices.end(),
                   [&](const OptionChoice& c) { return code == c.code; });
  return found == row.choices.end() ? nullptr : &*found;
}

}  // namespace

std::span<const ExportOptionRow> ExportOptionRows() { return kRows; }

const ExportOptionRow& OptionRowNamed(const char* key) {
  for (const ExportOptionRow& row : kRows) {
    if (std::strcmp(row.key, key) == 0) return row;
  }
  throw std::out_of_range(std::string("no export option is stored as ") + key);
}

QString CheckValue(bool on) {
  return on ? QStringLiteral("1") : QStringLiteral("0");
}

void ApplyOption(const ExportOptionRow& row, const QString& value,
                 ExportOptions& options) {
  switch (row.kind) {
    case OptionKind::kCheck:
      options.*row.flag = value == CheckValue(true);
      break;
    case OptionKind::kText:
      options.*row.text = value.toStdString();
      break;
    case OptionKind::kChoice:
      if (const OptionChoice* choice = FindChoice(row, value)) {
        choice->apply(options);
      }
      break;
  }
}

QString ValueFromStored(const ExportOptionRow& row, const QString& stored) {
  const QString fallback = QString::fromUtf8(row.default_value);
  switch (row.kind) {
    case OptionKind::kCheck:
      return stored == CheckValue(true) || stored == CheckValue(false)
                 ? stored
                 : fallback;
    case OptionKind::kText:
      return stored;
    case OptionKind::kChoice:
      break;
  }
  if (FindChoice(row, stored) != nullptr) return stored;
  // Codes were read as numbers: " 2" and "2.0" chose the second.
  bool number = false;
  const double code = stored.trimmed().toDouble(&number);
  if (number && std::abs(code) < 1e6 && code == static_cast<int>(code)) {
    const QString written = QString::number(static_cast<int>(code));
    if (FindChoice(row, written) != nullptr) return written;
  }
  if (!number && row.restore_step) {
    throw std::invalid_argument(Tr(texts::kSettingNotNumber)
                                    .arg(QString::fromUtf8(row.key), stored)
                                    .toStdString());
  }
  return fallback;
}

}  // namespace kestrilo::gui
