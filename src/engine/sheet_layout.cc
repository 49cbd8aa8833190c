#include "engine/sheet_layout.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace kestrilo {
namespace {

// Lays the spans, in the order they were added, over one another on a map
// keyed by first index, so that a later span hides what it covers of an
// earlier one. Each span is split at most twice, so this stays n log n.
std::vector<SheetLayout::Span> Resolve(
    const std::vector<SheetLayout::Span>& added) {
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
}

const SheetLayout::Span* SheetLayout::Column(std::int32_t index) const {
  return Find(columns_, index);
}

const SheetLayout::Span* SheetLayout::Row(std::int32_t index) const {
  return Find(rows_, index);
}

const BlockGeometry* SheetLayout::MergedAreaAt(std::int32_t row,
                                               std::int32_t column) const {
  // Merged areas never overlap in a sound file; in a hostile one the first
  // found wins. Areas starting below `row` cannot hold it.
  auto end =
      std::upper_bound(merged_.begin(), merged_.end(), row,
                       [](std::int32_t value, const BlockGeometry& area) {
                         return value < area.first_row;
                       });
  for (auto it = merged_.begin(); it != end; ++it) {
    if (row <= it->last_row() && column >= it->first_column &&
        column <= it->last_column()) {
      return &*it;
    }
  }
  return nullptr;
}

}  // namespace kestrilo
