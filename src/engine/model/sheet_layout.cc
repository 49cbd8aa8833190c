// SPDX-License-Identifier: MIT

#include "engine/model/sheet_layout.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace kestrilo {
namespace {

// Readers mostly add spans in file order, one per column or row record:
// then there is nothing to resolve.
bool InOrderWithoutOverlap(const std::vector<SheetLayout::Span>& spans) {
  for (std::size_t i = 0; i < spans.size(); ++i) {
    if (spans[i].first > spans[i].last) return false;
    if (i > 0 && spans[i].first <= spans[i - 1].last) return false;
  }
  return true;
}

// Lays the spans, in the order they were added, over one another on a map
// keyed by first index, so that a later span hides what it covers of an
// earlier one. Each span is split at most twice, so this stays n log n.
std::vector<SheetLayout::Span> Resolve(
    const std::vector<SheetLayout::Span>& added) {
  if (InOrderWithoutOverlap(added)) return added;
  std::map<std::int32_t, SheetLayout::Span> painted;
  auto split_at = [&painted](std::int32_t index) {
    auto it = painted.upper_bound(index);
    if (it == painted.begin()) return;
    --it;
    SheetLayout::Span& span = it->second;
    if (span.first == index || span.last < index) return;
    SheetLayout::Span tail = span;
    tail.first = index;
    span.last = index - 1;
    painted.emplace(index, tail);
  };
  for (const SheetLayout::Span& span : added) {
    if (span.first > span.last) continue;
    split_at(span.first);
    split_at(span.last + 1);
    painted.erase(painted.lower_bound(span.first),
                  painted.upper_bound(span.last));
    painted.emplace(span.first, span);
  }
  std::vector<SheetLayout::Span> spans;
  spans.reserve(painted.size());
  for (auto& [first, span] : painted) spans.push_back(span);
  return spans;
}

const SheetLayout::Span* Find(const std::vector<SheetLayout::Span>& spans,
                              std::int32_t index) {
  auto it =
      std::upper_bound(spans.begin(), spans.end(), index,
                       [](std::int32_t value, const SheetLayout::Span& span) {
                         return value < span.first;
                       });
  if (it == spans.begin()) return nullptr;
  --it;
  return index <= it->last ? &*it : nullptr;
}

}  // namespace

void SheetLayout::AddColumns(const Span& span) { columns_.push_back(span); }

void SheetLayout::AddRows(const Span& span) { rows_.push_back(span); }

void SheetLayout::AddMergedArea(const BlockGeometry& area) {
  if (area.row_count < 1 || area.column_count < 1) return;
  merged_.push_back(area);
}

void SheetLayout::Finish() {
  columns_ = Resolve(columns_);
  rows_ = Resolve(rows_);
  std::sort(merged_.begin(), merged_.end(),
            [](const BlockGeometry& a, const BlockGeometry& b) {
              return a.first_row != b.first_row
                         ? a.first_row < b.first_row
                         : a.first_column < b.first_column;
            });
  reach_.assign(merged_.size(), 0);
  BuildReach(0, merged_.size());
}

// merged_, sorted by first row, is read as a balanced search tree whose
// root is the middle of a range: each node learns how far down its subtree
// reaches, so that a look-up skips every subtree ending above the row.
std::int32_t SheetLayout::BuildReach(std::size_t begin, std::size_t end) {
  if (begin >= end) return 0;
  const std::size_t mid = begin + (end - begin) / 2;
  reach_[mid] = std::max({merged_[mid].last_row(), BuildReach(begin, mid),
                          BuildReach(mid + 1, end)});
  return reach_[mid];
}

const SheetLayout::Span* SheetLayout::Column(std::int32_t index) const {
  return Find(columns_, index);
}

const SheetLayout::Span* SheetLayout::Row(std::int32_t index) const {
  return Find(rows_, index);
}

const BlockGeometry* SheetLayout::MergedAreaAt(std::int32_t row,
                                               std::int32_t column) const {
  return FindMerged(0, merged_.size(), row, column);
}

// Merged areas never overlap in a sound file; in a hostile one the first in
// sorted order wins.
const BlockGeometry* SheetLayout::FindMerged(std::size_t begin, std::size_t end,
                                             std::int32_t row,
                                             std::int32_t column) const {
  if (begin >= end) return nullptr;
  const std::size_t mid = begin + (end - begin) / 2;
  if (reach_[mid] < row) return nullptr;
  if (const BlockGeometry* found = FindMerged(begin, mid, row, column)) {
    return found;
  }
  const BlockGeometry& area = merged_[mid];
  // Areas from here on start below the row.
  if (area.first_row > row) return nullptr;
  if (row <= area.last_row() && column >= area.first_column &&
      column <= area.last_column()) {
    return &area;
  }
  return FindMerged(mid + 1, end, row, column);
}

}  // namespace kestrilo
