// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <optional>

#include "engine/model/block_name.h"
#include "engine/model/range_address.h"
#include "engine/model/workbook.h"

namespace kestrilo::gui {

/// What a text typed into the name box or the range prompt's field means,
/// by the engine's rules for typed blocks (ResolveBlock), which the command
/// line's --range follows too: the areas of an address or of a usable name
/// (its sheet always named), or a name the workbook defines that stands for
/// no block.
struct TypedReference {
  std::optional<RangeAddress> address;
  const BlockName* unusable_name = nullptr;

  /// Resolves `text` in `workbook` (may be null) as seen from sheet
  /// `active_sheet`. Empty when it names no block.
  static TypedReference Resolve(const Workbook* workbook, int active_sheet,
                                const QString& text);
  /// The address of a usable name's block, its sheet named.
  static RangeAddress OfName(const Workbook& workbook, const BlockName& name);
  /// How a name is offered and shown: a sheet-level one with its sheet in
  /// front ("'My Sheet'!Budget"), so that the text typed back means it.
  static QString Label(const Workbook& workbook, const BlockName& name);
  /// The usable name whose block is exactly `block` of sheet `sheet` and
  /// that sheet can see, or null.
  static const BlockName* NameOfBlock(const Workbook* workbook, int sheet,
                                      const BlockGeometry& block);
};

}  // namespace kestrilo::gui
