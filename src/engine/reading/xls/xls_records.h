// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>

namespace kestrilo {

// Record types of the BIFF5 to BIFF8 workbook stream that we read.
enum XlsRecord : std::uint16_t {
  kFormulaRecord = 0x0006,
  // Formula record numbers of BIFF3 and BIFF4, which some writers still use
  // for formulas of later versions, with the later layout.
  kFormula3Record = 0x0206,
  kFormula4Record = 0x0406,
  kEofRecord = 0x000A,
  kDateModeRecord = 0x0022,
  kFilePassRecord = 0x002F,
  kContinueRecord = 0x003C,
  kWindow1Record = 0x003D,
  kCodePageRecord = 0x0042,
  kFontRecord = 0x0031,
  kPaletteRecord = 0x0092,
  kBoundSheetRecord = 0x0085,
  kMulRkRecord = 0x00BD,
  kRStringRecord = 0x00D6,
  kXfRecord = 0x00E0,
  kSstRecord = 0x00FC,
  kLabelSstRecord = 0x00FD,
  kNumberRecord = 0x0203,
  kLabelRecord = 0x0204,
  kBoolErrRecord = 0x0205,
  kStringRecord = 0x0207,
  kRkRecord = 0x027E,
  kFormatRecord = 0x041E,
  kBofRecord = 0x0809,
  // Layout records of a sheet.
  kDefColWidthRecord = 0x0055,
  kColInfoRecord = 0x007D,
  kStandardWidthRecord = 0x0099,
  kMergedCellsRecord = 0x00E5,
  kRowRecord = 0x0208,
  kDefaultRowHeightRecord = 0x0225,
};

// The versions a BOF record states.
constexpr std::uint16_t kBiff8Version = 0x0600;
constexpr std::uint16_t kBiff5Version = 0x0500;

}  // namespace kestrilo
