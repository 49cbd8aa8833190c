// SPDX-License-Identifier: MIT

#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/model/block_geometry.h"

namespace kestrilo {

/// How a conversion went from the file to the XML.
enum class ConversionRoad {
  /// The rows went from the reader to the writer as they were parsed.
  kStreamed,
  /// The rows were kept compactly until the sheet's used range was known,
  /// then written.
  kSpooled,
  /// The sheet was read into the model (the column-first layouts, which
  /// need every row at each step, and a workbook already read whole).
  kModel,
};

/// What one conversion did.
struct ConversionReport {
  /// The sheet read.
  std::string sheet;
  /// The block converted; nothing when it was skipped.
  std::optional<BlockGeometry> block;
  /// Why nothing was converted (the block stands for no cells); empty when
  /// the XML was written.
  std::string skipped;
  /// Things the user should know of the XML written, one text each.
  std::vector<std::string> warnings;
  /// The XML Schema of the XML, when the options asked for one: for the
  /// front end to write beside it, after it. Empty otherwise.
  std::string schema;
  ConversionRoad road = ConversionRoad::kStreamed;
  /// Whether a road was given up on the way (rows out of order): the file
  /// was then read a second time.
  bool road_changed = false;
};

}  // namespace kestrilo
