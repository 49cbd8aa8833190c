// SPDX-License-Identifier: MIT

#include "engine/model/range_address.h"

#include <algorithm>
#include <cstdint>

#include "engine/model/address_error.h"
#include "engine/model/column_letters.h"
#include "engine/model/sheet_name.h"
#include "engine/text/ascii_text.h"

namespace kestrilo {

namespace {

// One side of a range: a cell (B2), a whole column (B) or a whole row (2).
struct Corner {
  std::int64_t row = 0;     // 0 when the corner names a whole column
  std::int64_t column = 0;  // 0 when the corner names a whole row
};

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

class AddressParser {
 public:
  explicit AddressParser(std::string_view text) : text_(text) {}

  RangeAddress Parse() {
    if (TrimAsciiBlanks(text_).empty())
      throw AddressError("The cell address is empty.");
    RangeAddress address;
    while (true) {
      SkipBlanks();
      std::string sheet;
      const bool has_sheet = ParseSheetPrefix(sheet);
      if (has_sheet) {
        if (address.sheet.empty()) {
          address.sheet = sheet;
        } else if (!SameSheetName(sheet, address.sheet)) {
          Fail("its areas lie on different sheets");
        }
      }
      address.areas.push_back(ParseArea());
      SkipBlanks();
      if (pos_ == text_.size()) break;
      if (text_[pos_] != ',') Fail("unexpected \"" + Rest() + "\"");
      ++pos_;
    }
    return address;
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    throw AddressError("The cell address \"" + std::string(text_) +
                       "\" is not valid: " + why + ".");
  }

  std::string Rest() const {
    return std::string(text_.substr(pos_, text_.find(',', pos_) - pos_));
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) {
      ++pos_;
    }
  }

  // Reads "'My Sheet'!" or "Sheet1!" if the area starts with one.
  bool ParseSheetPrefix(std::string& sheet) {
    if (pos_ < text_.size() && text_[pos_] == '\'') {
      std::size_t i = pos_;
      if (!ReadQuotedSheetName(text_, i, sheet)) {
        Fail("a quoted sheet name is not closed");
      }
      while (i < text_.size() && (text_[i] == ' ' || text_[i] == '\t')) ++i;
      if (i >= text_.size() || text_[i] != '!') {
        Fail("a sheet name must be followed by \"!\"");
      }
      if (sheet.empty()) Fail("the sheet name is empty");
      pos_ = i + 1;
      return true;
    }
    const std::size_t end = text_.find_first_of(",!", pos_);
    if (end == std::string_view::npos || text_[end] != '!') return false;
    sheet = std::string(TrimAsciiBlanks(text_.substr(pos_, end - pos_)));
    if (sheet.empty()) Fail("the sheet name is empty");
    pos_ = end + 1;
    return true;
  }

  BlockGeometry ParseArea() {
    const Corner from = ParseCorner();
    Corner to = from;
    const bool is_range = pos_ < text_.size() && text_[pos_] == ':';
    if (is_range) {
      ++pos_;
      to = ParseCorner();
    }
    const bool from_cell = from.row != 0 && from.column != 0;
    const bool to_cell = to.row != 0 && to.column != 0;
    if (from_cell != to_cell || (from.row == 0) != (to.row == 0)) {
      Fail("the two corners of a range must both be cells, columns or rows");
    }
    if (!from_cell && !is_range) {
      Fail("a whole column or row needs a range such as $A:$C or $2:$5");
    }
    std::int64_t top = from.row, bottom = to.row;
    std::int64_t left = from.column, right = to.column;
    if (top == 0) {
      top = 1;
      bottom = kMaxRows;
    }
    if (left == 0) {
      left = 1;
      right = kMaxColumns;
    }
    if (top > bottom) std::swap(top, bottom);
    if (left > right) std::swap(left, right);
    return BlockGeometry{static_cast<std::int32_t>(top),
                         static_cast<std::int32_t>(bottom - top + 1),
                         static_cast<std::int32_t>(left),
                         static_cast<std::int32_t>(right - left + 1)};
  }

  Corner ParseCorner() {
    Corner corner;
    const std::size_t start = pos_;
    if (pos_ < text_.size() && text_[pos_] == '$') ++pos_;
    std::string letters;
    while (pos_ < text_.size() && IsLetter(text_[pos_])) {
      letters += text_[pos_++];
    }
    bool row_marked = false;
    if (!letters.empty()) {
      corner.column = ColumnNumber(letters);
      if (pos_ < text_.size() && text_[pos_] == '$') {
        row_marked = true;
        ++pos_;
      }
    }
    std::size_t digits_start = pos_;
    while (pos_ < text_.size() && IsDigit(text_[pos_])) ++pos_;
    if (row_marked && pos_ == digits_start) Fail("a row number is missing");
    if (pos_ > digits_start) {
      corner.row = RowNumber(text_.substr(digits_start, pos_ - digits_start));
    }
    if (corner.row == 0 && corner.column == 0) {
      pos_ = start;
      Fail(pos_ < text_.size() ? "unexpected \"" + Rest() + "\""
                               : "a cell reference is missing");
    }
    return corner;
  }

  std::int64_t ColumnNumber(const std::string& letters) const {
    std::int64_t number = 0;
    for (char c : letters) {
      const int digit = (c | 0x20) - 'a' + 1;
      number = number * 26 + digit;
      if (number > kMaxColumns) {
        Fail("column " + letters + " lies beyond the last column, XFD");
      }
    }
    return number;
  }

  std::int64_t RowNumber(std::string_view digits) const {
    std::int64_t number = 0;
    for (char c : digits) {
      number = number * 10 + (c - '0');
      if (number > kMaxRows) {
        Fail("row " + std::string(digits) +
             " lies beyond the last row, 1048576");
      }
    }
    if (number == 0) Fail("there is no row 0");
    return number;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

bool WholeColumns(const BlockGeometry& area) {
  return area.first_row == 1 && area.row_count == kMaxRows;
}

bool WholeRows(const BlockGeometry& area) {
  return area.first_column == 1 && area.column_count == kMaxColumns;
}

}  // namespace

RangeAddress ParseAddress(std::string_view text) {
  return AddressParser(text).Parse();
}

bool IsAddress(std::string_view text) {
  try {
    ParseAddress(text);
    return true;
  } catch (const AddressError&) {
    return false;
  }
}

std::string FormatArea(const BlockGeometry& area) {
  const std::string first_row = std::to_string(area.first_row);
  const std::string last_row = std::to_string(area.last_row());
  const std::string first_column = ColumnLetters(area.first_column);
  const std::string last_column = ColumnLetters(area.last_column());
  // A whole sheet is written as whole rows, as spreadsheet applications do.
  if (WholeRows(area)) return "$" + first_row + ":$" + last_row;
  if (WholeColumns(area)) return "$" + first_column + ":$" + last_column;
  std::string text = "$" + first_column + "$" + first_row;
  if (area.row_count != 1 || area.column_count != 1) {
    text += ":$" + last_column + "$" + last_row;
  }
  return text;
}

std::string FormatAddress(const std::vector<BlockGeometry>& areas) {
  std::string text;
  for (const BlockGeometry& area : areas) {
    if (!text.empty()) text += ',';
    text += FormatArea(area);
  }
  return text;
}

}  // namespace kestrilo
