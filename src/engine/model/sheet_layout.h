// SPDX-License-Identifier: MIT

#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/model/block_geometry.h"

namespace kestrilo {

/// How a worksheet is laid out on screen, as its file stores it: column
/// widths, row heights, hidden columns and rows, and merged areas. Readers
/// fill it; the workbook window draws from it. Sizes are in points (1/72
/// inch), whatever unit the format uses. Nothing here changes a cell value.
///
/// Memory is proportional to what the file states in spans, never to the
/// area a span covers: 1,048,576 repeated rows are one span.
class SheetLayout {
 public:
  /// A run of columns or rows sharing one size and visibility. `size` is
  /// nothing where the file gives none (the sheet's default applies).
  struct Span {
    std::int32_t first = 1;
    std::int32_t last = 1;
    std::optional<float> size;
    bool hidden = false;
    bool operator==(const Span&) const = default;
  };

  // Filling, in any order; a later span wins where two overlap.
  void SetDefaultColumnWidth(float points) { default_column_width_ = points; }
  void SetDefaultRowHeight(float points) { default_row_height_ = points; }
  void AddColumns(const Span& span);
  void AddRows(const Span& span);
  /// A merged area; its top-left cell holds the value shown.
  void AddMergedArea(const BlockGeometry& area);
  /// Sorts and resolves overlaps. Call once, after filling.
  void Finish();

  // Reading (after Finish).
  std::optional<float> default_column_width() const {
    return default_column_width_;
  }
  std::optional<float> default_row_height() const {
    return default_row_height_;
  }
  /// Sorted by `first`, not overlapping.
  const std::vector<Span>& columns() const { return columns_; }
  const std::vector<Span>& rows() const { return rows_; }
  /// Sorted by first row, then first column.
  const std::vector<BlockGeometry>& merged_areas() const { return merged_; }

  /// The span holding column (row) `index`, or nullptr.
  const Span* Column(std::int32_t index) const;
  const Span* Row(std::int32_t index) const;
  /// The merged area holding the cell, or nullptr. Takes time logarithmic
  /// in the number of areas (plus the areas crossing the cell's row).
  const BlockGeometry* MergedAreaAt(std::int32_t row,
                                    std::int32_t column) const;

 private:
  std::int32_t BuildReach(std::size_t begin, std::size_t end);
  const BlockGeometry* FindMerged(std::size_t begin, std::size_t end,
                                  std::int32_t row, std::int32_t column) const;

  std::optional<float> default_column_width_;
  std::optional<float> default_row_height_;
  std::vector<Span> columns_;
  std::vector<Span> rows_;
  std::vector<BlockGeometry> merged_;
  // The last row reached by any area of the implicit search tree rooted at
  // each index of merged_ (the midpoint of its range), set by Finish().
  std::vector<std::int32_t> reach_;
};

}  // namespace kestrilo
