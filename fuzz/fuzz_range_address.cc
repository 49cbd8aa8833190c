// SPDX-License-Identifier: MIT
// The address parser on any text (it takes --range from the command line):
// it parses or throws AddressError, and what it parses formats back to an
// address that parses to the same block.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/model/address_error.h"
#include "engine/model/range_address.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const kestrilo::RangeAddress address = kestrilo::ParseAddress(text);
    if (address.areas.empty()) __builtin_trap();
    const kestrilo::BlockGeometry& first = address.areas.front();
    const auto again =
        kestrilo::ParseAddress(kestrilo::FormatArea(first)).areas.front();
    if (again.first_row != first.first_row ||
        again.first_column != first.first_column ||
        again.row_count != first.row_count ||
        again.column_count != first.column_count) {
      __builtin_trap();
    }
  } catch (const kestrilo::AddressError&) {
  }
  return 0;
}
