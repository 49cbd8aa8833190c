// SPDX-License-Identifier: MIT

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model/block_geometry.h"
#include "engine/model/block_name.h"
#include "engine/model/workbook.h"

namespace kestrilo {

/// A block a user asked for, as it resolves in a workbook.
struct ResolvedBlock {
  /// The index of the sheet that holds it.
  int sheet = -1;
  /// The block as addressed or named; nothing for the used range of the
  /// sheet. Whole rows and columns still span the sheet: ClipToUsedRange
  /// makes them the cells they stand for.
  std::optional<BlockGeometry> block;
  /// Every area of an address of several (`block` is the first, which a
  /// conversion takes); the one block otherwise.
  std::vector<BlockGeometry> areas;
  /// The defined name or table it was found by; null for an address.
  const BlockName* name = nullptr;
};

/// Resolves what a user typed for a block (the command line's --range, the
/// window's name box and range prompt) in `workbook`, whose sheets and
/// names suffice, as seen from sheet `context`:
///  - nothing (or blanks): the used range of `context`;
///  - an address in A1 style ("B2:D9", "$B$2", "A:C", "2:5", "'It''s'!A1";
///    of several areas, the first counts): that block, on the sheet it
///    names or on `context`;
///  - otherwise a defined name or table, letter case aside, perhaps behind
///    a sheet prefix ("Prices", "Data!Prices", "'My Sheet' ! Prices"): the
///    name as seen from that sheet (or `context`), a name of the sheet
///    winning over a name of the workbook, as spreadsheet applications
///    resolve names. Its block may lie on another sheet.
/// An address comes first: no application lets a name look like one.
/// Throws BlockError for a sheet, name or table the workbook lacks, a name
/// that stands for no block, and a malformed address.
ResolvedBlock ResolveBlock(const Workbook& workbook, int context,
                           std::string_view text);

/// Whether `text` can only be a name ("Prices", "Data!Prices"): it is no
/// address, and spelled as spreadsheet applications spell names. Reading
/// the names of some formats costs a pass of their own: a text that cannot
/// be one is resolved without them.
bool MayNameABlock(std::string_view text);

/// How a name is offered and shown: a sheet-level one with its sheet in
/// front ("'My Sheet'!Budget"), so that the text typed back means it.
std::string NameLabel(const Workbook& workbook, const BlockName& name);

/// The usable name whose block is exactly `block` of sheet `sheet` and that
/// sheet can see; null when there is none.
const BlockName* NameOfBlock(const Workbook& workbook, int sheet,
                             const BlockGeometry& block);

}  // namespace kestrilo
