// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/model/workbook.h"
#include "engine/reading/xls/biff_record_reader.h"

namespace kestrilo {

/// Gathers the defined names of a BIFF5 or BIFF8 workbook stream from its
/// NAME records, with the EXTERNSHEET and SUPBOOK records that tell which
/// sheet a name's reference points at, and adds them to the workbook once
/// its sheets are known.
class XlsNames {
 public:
  /// True for the record types Read takes.
  static bool Reads(std::uint16_t record_type);

  /// Reads one NAME, EXTERNSHEET or SUPBOOK record of the globals; names
  /// are charged to the budget of `workbook`. Throws
  /// BiffRecordReader::TooShort for a record shorter than it says.
  void Read(std::uint16_t record_type, BiffRecordReader& record, bool biff8,
            Workbook& workbook);

  /// Adds the names to `workbook`. `sheet_of_bound[i]` is the workbook's
  /// sheet index of the i-th BOUNDSHEET record (-1 for chart sheets and
  /// others that hold no cells); `decode` turns BIFF5 name bytes into
  /// UTF-8 in the workbook's code page.
  void AddTo(Workbook& workbook, const std::vector<int>& sheet_of_bound,
             const std::function<std::string(std::string_view)>& decode);

 private:
  struct PendingName {
    std::string name;  // UTF-8 in BIFF8, code page bytes in BIFF5
    bool built_in = false;
    bool biff8 = true;
    int scope_bound = -1;  // BOUNDSHEET index of a sheet-level name
    std::string formula;   // the parsed expression's tokens (rgce)
  };
  struct ExternSheet {
    std::uint16_t supbook = 0;
    std::uint16_t first = 0;
    std::uint16_t last = 0;
  };

  void ReadName(BiffRecordReader& record, bool biff8, Workbook& workbook);
  BlockName Resolve(const PendingName& pending, const Workbook& workbook,
                    const std::vector<int>& sheet_of_bound) const;

  std::vector<PendingName> names_;
  std::vector<ExternSheet> extern_sheets_;
  // Of each SUPBOOK in order: whether it is this workbook's own.
  std::vector<bool> own_supbooks_;
  std::string scratch_;
};

}  // namespace kestrilo
