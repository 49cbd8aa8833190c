// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <vector>

#include "engine/display/style_formats.h"
#include "engine/model/block_geometry.h"
#include "engine/model/cell_source.h"
#include "engine/model/sheet.h"

namespace kestrilo {

/// The cells of a CellSource as a sheet of the model shows them: each
/// non-empty value replaced by the text it shows, rendered with the number
/// format of the cell's style as DisplayedRows renders it.
///
/// A text lives until kTextsKept more cells have been asked for, not as
/// long as the source: enough for any writer, which holds at most a row of
/// a block at once, while memory stays flat whatever the size of the block.
class DisplayedCellSource : public CellSource {
 public:
  /// Cells beyond which a text given out may be overwritten: two rows of
  /// the widest sheet.
  static constexpr std::size_t kTextsKept =
      2 * static_cast<std::size_t>(kMaxColumns);

  /// `values` are the cells of `sheet`, whose styles index `formats`'
  /// table; all three must outlive the source.
  DisplayedCellSource(const CellSource& values, const Sheet& sheet,
                      const StyleFormats& formats);

  BlockGeometry Geometry(std::string_view address) const override {
    return values_.Geometry(address);
  }
  CellValue Value(std::int32_t row, std::int32_t column) const override;

 private:
  const CellSource& values_;
  const Sheet& sheet_;
  const StyleFormats& formats_;
  mutable std::vector<std::string> texts_;
  mutable std::size_t next_ = 0;
};

}  // namespace kestrilo
