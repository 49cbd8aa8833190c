// SPDX-License-Identifier: MIT

#include "engine/model/column_letters.h"

#include "engine/model/block_geometry.h"

namespace kestrilo {

std::string ColumnLetters(std::int32_t column) {
  std::string letters;
  if (column >= 1 && column <= kMaxColumns) {
    AppendColumnLetters(column, letters);
  }
  return letters;
}

void AppendColumnLetters(std::int32_t column, std::string& out) {
  char letters[4];
  int count = 0;
  while (column > 0 && count < 4) {
    --column;
    letters[count++] = static_cast<char>('A' + column % 26);
    column /= 26;
  }
  while (count > 0) out += letters[--count];
}

}  // namespace kestrilo
