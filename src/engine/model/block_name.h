// SPDX-License-Identifier: MIT

#pragma once

#include <string>

#include "engine/model/block_geometry.h"

namespace kestrilo {

/// Whether a block name is a defined name or the name of a table (an xlsx
/// table, an ods database range).
enum class BlockNameKind { kDefinedName, kTable };

/// A name a workbook defines, as its file stores it. Usable names stand for
/// one rectangular block of one sheet; the others are kept, with the reason,
/// so that a listing can say why they cannot be exported.
struct BlockName {
  std::string name;
  BlockNameKind kind = BlockNameKind::kDefinedName;
  /// The index of the sheet a sheet-level name belongs to; -1 for a name of
  /// the whole workbook (tables are always workbook-level).
  int scope_sheet = -1;
  /// Where the block is: the index of its sheet and its cells. Only set for
  /// usable names. A table's block includes its header rows.
  int sheet = -1;
  BlockGeometry block;
  /// Tables: how many of the block's first rows are headers.
  int header_rows = 0;
  /// What the name refers to, as the file writes it (for listings).
  std::string definition;
  /// Empty for a usable name; otherwise why it cannot be exported, e.g.
  /// "refers to a formula", "refers to several areas".
  std::string unusable_reason;

  bool usable() const { return unusable_reason.empty(); }
};

}  // namespace kestrilo
