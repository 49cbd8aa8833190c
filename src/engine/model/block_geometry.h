// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

namespace kestrilo {

/// The rectangle of a block of cells: first row and column (1-based,
/// absolute worksheet numbers) and the number of rows and columns.
struct BlockGeometry {
  std::int32_t first_row = 1;
  std::int32_t row_count = 0;
  std::int32_t first_column = 1;
  std::int32_t column_count = 0;

  std::int32_t last_row() const { return first_row + row_count - 1; }
  std::int32_t last_column() const { return first_column + column_count - 1; }
  bool operator==(const BlockGeometry&) const = default;
};

/// The format limits of a worksheet: rows and columns beyond them do not
/// exist in any workbook we read.
inline constexpr std::int32_t kMaxRows = 1048576;
inline constexpr std::int32_t kMaxColumns = 16384;

}  // namespace kestrilo
