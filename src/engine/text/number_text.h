// SPDX-License-Identifier: MIT

#pragma once

#include <charconv>
#include <string_view>

#include "engine/text/ascii_text.h"

namespace kestrilo {

/// Reads a decimal number as the file formats write them ("12", "-0.5",
/// "+1e-3", " 7 "): blanks around it and a leading "+" allowed; infinities
/// and NaN refused. The usual short forms are read without the general
/// conversion, with the same, correctly rounded result.
bool ParseDouble(std::string_view text, double& value);

/// The general conversion of a whole number; used by ParseInteger.
template <typename Integer>
bool ParseIntegerGenerally(std::string_view text, Integer& value) {
  text = TrimmedValue(text);
  const auto [end, error] =
      std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && error == std::errc() &&
         end == text.data() + text.size();
}

/// Reads a whole number (blanks around it allowed) that fits `Integer`.
/// Indices of every cell's style and text are read this way: plain digits
/// are read inline, anything else by the general conversion.
template <typename Integer>
inline bool ParseInteger(std::string_view text, Integer& value) {
  if (!text.empty() && text.size() <= 9) {  // plain digits: no overflow
    Integer digits = 0;
    std::size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      digits = static_cast<Integer>(digits * 10 + (text[i] - '0'));
    }
    if (i == text.size()) {
      value = digits;
      return true;
    }
  }
  return ParseIntegerGenerally(text, value);
}

}  // namespace kestrilo
