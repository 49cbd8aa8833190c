// SPDX-License-Identifier: MIT

#include "cli/progress_bar.h"

#include <algorithm>

#include "cli/printable_text.h"

namespace kestrilo::cli {

namespace {

constexpr int kBarCells = 24;
constexpr auto kStatusRedrawInterval = std::chrono::milliseconds(200);

// Cuts `text` to at most `width` bytes without splitting a UTF-8 sequence.
std::string Fit(std::string text, int width) {
  if (width <= 0) return {};
  if (static_cast<int>(text.size()) <= width) return text;
  std::size_t cut = static_cast<std::size_t>(width);
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
    --cut;
  }
  text.resize(cut);
  return text;
}

}  // namespace

ProgressBar::ProgressBar(std::FILE* out, bool enabled, int total, int width)
    : out_(out),
      enabled_(enabled),
      total_(total),
      width_(std::max(width, 20)) {}

void ProgressBar::Started(std::string_view name) {
  if (!enabled_) return;
  current_ = name;
  status_.clear();
  Draw();
}

void ProgressBar::Finished() {
  if (!enabled_) return;
  ++done_;
  Draw();
}

void ProgressBar::SetStatus(std::string_view text) {
  if (!enabled_) return;
  status_ = text;
  const auto now = std::chrono::steady_clock::now();
  if (now - last_draw_ >= kStatusRedrawInterval) Draw();
}

void ProgressBar::Print(std::string_view line) {
  const bool was_shown = shown_;
  Clear();
  const std::string shown = PrintableText(line);
  std::fwrite(shown.data(), 1, shown.size(), out_);
  std::fputc('\n', out_);
  if (was_shown) Draw();
  std::fflush(out_);
}

void ProgressBar::Clear() {
  if (!shown_) return;
  std::fprintf(out_, "\r%*s\r", width_ - 1, "");
  std::fflush(out_);
  shown_ = false;
}

std::string ProgressBar::Line() const {
  const int filled = total_ > 0 ? done_ * kBarCells / total_ : kBarCells;
  std::string line = "[";
  line.append(filled, '#');
  line.append(kBarCells - filled, '.');
  line += "] " + std::to_string(done_) + "/" + std::to_string(total_);
  if (!current_.empty()) {
    line += ' ';
    line += PrintableText(current_);
  }
  if (!status_.empty()) {
    line += " (";
    line += status_;
    line += ')';
  }
  return Fit(line, width_ - 1);
}

void ProgressBar::Draw() {
  if (!enabled_) return;
  const std::string line = Line();
  std::fprintf(out_, "\r%s\x1b[K", line.c_str());
  std::fflush(out_);
  shown_ = true;
  last_draw_ = std::chrono::steady_clock::now();
}

}  // namespace kestrilo::cli
