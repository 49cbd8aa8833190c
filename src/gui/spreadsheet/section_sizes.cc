// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/section_sizes.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

namespace kestrilo::gui {

int PointsToPixels(float points, double dpi) {
  return std::max(1, static_cast<int>(std::lround(points * dpi / 72.0)));
}

void ApplySpans(QHeaderView& header,
                const std::vector<SheetLayout::Span>& spans, double dpi,
                int first, int last) {
  last = std::min(last, header.count() - 1);
  if (first > last) return;
  const QSignalBlocker blocker(header);
  const bool updates = header.updatesEnabled();
  header.setUpdatesEnabled(false);
  const int default_size = header.defaultSectionSize();
  // The first span that may hold section `first`: spans are sorted.
  auto span = std::lower_bound(
      spans.begin(), spans.end(), first + 1,
      [](const SheetLayout::Span& s, int index) { return s.last < index; });
  for (; span != spans.end() && span->first - 1 <= last; ++span) {
    const int from = std::max(first, span->first - 1);
    const int to = std::min(last, span->last - 1);
    const int size =
        span->size ? PointsToPixels(*span->size, dpi) : default_size;
    for (int section = from; section <= to; ++section) {
      if (span->hidden) {
        header.hideSection(section);
      } else if (size != default_size) {
        header.resizeSection(section, size);
      }
    }
  }
  header.setUpdatesEnabled(updates);
}

}  // namespace kestrilo::gui
