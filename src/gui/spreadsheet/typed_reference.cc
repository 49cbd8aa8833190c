// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/typed_reference.h"

#include <string>

#include "engine/conversion/block_error.h"
#include "engine/conversion/block_resolver.h"
#include "engine/model/address_error.h"

namespace kestrilo::gui {

TypedReference TypedReference::Resolve(const Workbook* workbook,
                                       int active_sheet, const QString& text) {
  TypedReference reference;
  const std::string typed = text.trimmed().toStdString();
  if (typed.empty()) return reference;
  if (workbook == nullptr) {
    if (IsAddress(typed)) reference.address = ParseAddress(typed);
    return reference;
  }
  try {
    const ResolvedBlock resolved = ResolveBlock(*workbook, active_sheet, typed);
    reference.address =
        RangeAddress{workbook->sheet(resolved.sheet).name(), resolved.areas};
  } catch (const BlockError& error) {
    reference.unusable_name = error.unusable_name();
  }
  return reference;
}

RangeAddress TypedReference::OfName(const Workbook& workbook,
                                    const BlockName& name) {
  return {workbook.sheet(name.sheet).name(), {name.block}};
}

QString TypedReference::Label(const Workbook& workbook, const BlockName& name) {
  return QString::fromStdString(NameLabel(workbook, name));
}

const BlockName* TypedReference::NameOfBlock(const Workbook* workbook,
                                             int sheet,
                                             const BlockGeometry& block) {
  return workbook == nullptr ? nullptr
                             : kestrilo::NameOfBlock(*workbook, sheet, block);
}

}  // namespace kestrilo::gui
