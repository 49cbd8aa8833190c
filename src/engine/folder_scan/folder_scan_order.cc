// SPDX-License-Identifier: MIT

#include "engine/folder_scan/folder_scan_order.h"

#include <cstddef>

namespace kestrilo {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

unsigned char FoldCase(char c) {
  const auto code = static_cast<unsigned char>(c);
  return code >= 'A' && code <= 'Z'
             ? static_cast<unsigned char>(code - 'A' + 'a')
             : code;
}

// The digit run starting at `i`, without its leading zeros; `i` moves past
// the run.
std::string_view DigitRun(std::string_view text, std::size_t& i) {
  while (i < text.size() && text[i] == '0') ++i;
  const std::size_t start = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  return text.substr(start, i - start);
}

// Two digit runs by value: a longer run (without leading zeros) is larger,
// runs of one length compare digit by digit. No number is ever parsed, so a
// run of a thousand digits is as good as any.
int CompareNumbers(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  const int order = a.compare(b);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// -1, 0 or 1 for the natural order alone (0: alike but for case or zeros).
int CompareNaturally(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      const int order = CompareNumbers(DigitRun(a, i), DigitRun(b, j));
      if (order != 0) return order;
      continue;
    }
    const unsigned char x = FoldCase(a[i++]);
    const unsigned char y = FoldCase(b[j++]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  return j < b.size() ? -1 : 0;
}

}  // namespace

bool NaturalNameLess(std::string_view a, std::string_view b) {
  const int order = CompareNaturally(a, b);
  return order != 0 ? order < 0 : a < b;
}

}  // namespace kestrilo
