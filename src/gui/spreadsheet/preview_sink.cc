// SPDX-License-Identifier: MIT

#include "gui/spreadsheet/preview_sink.h"

#include <algorithm>

namespace kestrilo::gui {

PreviewSink::PreviewSink(int max_lines, bool head_only,
                         const std::atomic<bool>* stop)
    : max_lines_(max_lines), head_only_(head_only), stop_(stop) {}

void PreviewSink::Write(std::string_view text) {
  if (stop_ != nullptr && stop_->load(std::memory_order_relaxed)) {
    throw CountStopped();
  }
  const std::int64_t wanted = max_lines_ - text_.line_count;
  if (wanted > 0) {
    std::size_t end = 0;
    for (std::int64_t kept = 0; kept < wanted && end < text.size(); ++kept) {
      end = text.find('\n', end);
      end = end == std::string_view::npos ? text.size() : end + 1;
    }
    text_.head.append(text.substr(0, end));
  }
  text_.line_count += std::count(text.begin(), text.end(), '\n');
  text_.byte_count += static_cast<std::int64_t>(text.size());
  if (head_only_ && text_.line_count >= max_lines_) throw HeadTaken();
}

}  // namespace kestrilo::gui
