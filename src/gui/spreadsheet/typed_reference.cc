#include "gui/spreadsheet/typed_reference.h"

#include <string>

#include "engine/model/address_error.h"

namespace kestrilo::gui {

namespace {

bool SheetIndexValid(const Workbook& workbook, int sheet) {
  return sheet >= 0 && sheet < workbook.sheet_count();
}

// Quoted as in addresses when the sheet name is more than letters, digits
// and underscores (or starts with a digit).
QString SheetPrefix(const QString& sheet) {
  bool plain = !sheet.isEmpty() && !sheet.front().isDigit();
  for (const QChar c : sheet)
    plain = plain && (c.isLetterOrNumber() || c == '_');
  if (plain) return sheet + '!';
  QString quoted = sheet;
  quoted.replace(QStringLiteral("'"), QStringLiteral("''"));
  return '\'' + quoted + QStringLiteral("'!");
}

// "Sheet2!Budget" or "'My Sheet'!Budget": the name as seen from that sheet.
const BlockName* FindQualifiedName(const Workbook& workbook,
                                   const QString& text) {
  const qsizetype bang = text.lastIndexOf('!');
  if (bang <= 0) return nullptr;
  QString sheet = text.left(bang).trimmed();
  if (sheet.size() >= 2 && sheet.front() == '\'' && sheet.back() == '\'') {
    sheet = sheet.mid(1, sheet.size() - 2)
                .replace(QStringLiteral("''"), QStringLiteral("'"));
  }
  const int index = workbook.FindSheet(sheet.toStdString());
  if (index < 0) return nullptr;
  return workbook.FindName(text.mid(bang + 1).trimmed().toStdString(), index);
}

}  // namespace

TypedReference TypedReference::Resolve(const Workbook* workbook,
                                       int active_sheet, const QString& text) {
  TypedReference reference;
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty()) return reference;
  if (workbook != nullptr) {
    const BlockName* name =
        workbook->FindName(trimmed.toStdString(), active_sheet);
    if (name == nullptr) name = FindQualifiedName(*workbook, trimmed);
    if (name != nullptr) {
      if (name->usable() && SheetIndexValid(*workbook, name->sheet)) {
        reference.address = OfName(*workbook, *name);
      } else {
        reference.unusable_name = name;
      }
      return reference;
    }
  }
  try {
    reference.address = ParseAddress(trimmed.toStdString());
  } catch (const AddressError&) {
  }
  return reference;
}

RangeAddress TypedReference::OfName(const Workbook& workbook,
                                    const BlockName& name) {
  return {workbook.sheet(name.sheet).name(), {name.block}};
}

QString TypedReference::Label(const Workbook& workbook, const BlockName& name) {
  const QString text = QString::fromStdString(name.name);
  if (!SheetIndexValid(workbook, name.scope_sheet)) return text;
  return SheetPrefix(
             QString::fromStdString(workbook.sheet(name.scope_sheet).name())) +
         text;
}

const BlockName* TypedReference::NameOfBlock(const Workbook* workbook,
                                             int sheet,
                                             const BlockGeometry& block) {
  if (workbook == nullptr) return nullptr;
  for (const BlockName& name : workbook->names()) {
    if (name.usable() && name.sheet == sheet && name.block == block &&
        (name.scope_sheet < 0 || name.scope_sheet == sheet)) {
      return &name;
    }
  }
  return nullptr;
}

}  // namespace kestrilo::gui
