// SPDX-License-Identifier: MIT

#include "engine/conversion/output_budget.h"

#include <cstdio>

#include "engine/model/range_address.h"

namespace kestrilo {

namespace {

// A cell without a header of its own, empty: a TAB, "<t></t>" with a tag of
// one character at the least, and CR LF.
constexpr std::uint64_t kLeastCellBytes = 10;

// 17179869184 -> "17,179,869,184".
std::string Grouped(std::uint64_t number) {
  std::string digits = std::to_string(number);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<std::size_t>(at), ",");
  }
  return digits;
}

}  // namespace

std::uint64_t LeastXmlBytes(const BlockGeometry& block,
                            const ExportOptions& options) {
  if (options.records) {
    // Records leave empty cells out; kept, the least is an attribute of
    // one character, ' _=""'.
    constexpr std::uint64_t kLeastKeptBytes = 5;
    if (!options.keep_empty) return 0;
    return (static_cast<std::uint64_t>(block.row_count) - 1) *
           static_cast<std::uint64_t>(block.column_count) * kLeastKeptBytes;
  }
  const std::uint64_t rows = static_cast<std::uint64_t>(block.row_count) -
                             (options.header_row ? 1 : 0);
  const std::uint64_t columns = static_cast<std::uint64_t>(block.column_count) -
                                (options.header_column ? 1 : 0);
  return rows * columns * kLeastCellBytes;
}

std::string SizeText(std::uint64_t bytes) {
  char text[32];
  if (bytes >= (std::uint64_t{1} << 30) &&
      bytes % (std::uint64_t{1} << 30) == 0) {
    std::snprintf(text, sizeof text, "%llu GiB",
                  static_cast<unsigned long long>(bytes >> 30));
  } else if (bytes >= 1'000'000'000) {
    std::snprintf(text, sizeof text, "%.0f GB", bytes / 1e9);
  } else if (bytes >= 1'000'000) {
    std::snprintf(text, sizeof text, "%.0f MB", bytes / 1e6);
  } else if (bytes >= 1000) {
    std::snprintf(text, sizeof text, "%.0f kB", bytes / 1e3);
  } else {
    std::snprintf(text, sizeof text, "%llu bytes",
                  static_cast<unsigned long long>(bytes));
  }
  return text;
}

void CheckLeastXml(const BlockGeometry& block, const std::string& sheet,
                   std::uint64_t filled, const ExportOptions& options,
                   std::uint64_t max_bytes) {
  const std::uint64_t least = LeastXmlBytes(block, options);
  if (max_bytes == 0 || least <= max_bytes) return;
  const std::uint64_t cells = static_cast<std::uint64_t>(block.row_count) *
                              static_cast<std::uint64_t>(block.column_count);
  throw OutputBudgetExceeded(
      "the block " + FormatArea(block) + " of sheet '" + sheet + "' has " +
          Grouped(cells) + " cells, " + Grouped(filled) +
          " of them filled: its XML would take at least " + SizeText(least) +
          ", more than the " + SizeText(max_bytes) + " allowed",
      least);
}

void BudgetSink::Write(std::string_view text) {
  written_ += text.size();
  if (max_bytes_ != 0 && written_ > max_bytes_) {
    throw OutputBudgetExceeded(
        "the XML grew beyond the " + SizeText(max_bytes_) + " allowed", 0);
  }
  sink_.Write(text);
}

}  // namespace kestrilo
