// SPDX-License-Identifier: MIT

#include "engine/reading/xls/xls_names.h"

#include "engine/model/block_geometry.h"
#include "engine/model/block_name_definition.h"
#include "engine/model/range_address.h"
#include "engine/model/sheet_name.h"

namespace kestrilo {

namespace {

constexpr std::uint16_t kExternSheetRecord = 0x0017;
constexpr std::uint16_t kNameRecord = 0x0018;
constexpr std::uint16_t kSupBookRecord = 0x01AE;

// The SUPBOOK of the workbook's own sheets says so in place of a length.
constexpr std::uint16_t kOwnSupBook = 0x0401;
// NAME option bits.
constexpr std::uint16_t kBuiltIn = 0x0020;

// The names the application gives itself, by the code a built-in NAME
// stores in place of its text.
constexpr const char* kBuiltInNames[] = {
    "Consolidate_Area", "Auto_Open",      "Auto_Close",    "Extract",
    "Database",         "Criteria",       "Print_Area",    "Print_Titles",
    "Recorder",         "Data_Form",      "Auto_Activate", "Auto_Deactivate",
    "Sheet_Title",      "_FilterDatabase"};

// Formula tokens (ptg) that a name standing for cells is made of. Operand
// tokens come in three classes (0x20, 0x40, 0x60) that differ only in how
// a formula uses their value.
enum Ptg : std::uint8_t {
  kUnion = 0x10,
  kParen = 0x15,
  kRef = 0x24,
  kArea = 0x25,
  kMemFunc = 0x29,
  kRefErr = 0x2A,
  kAreaErr = 0x2B,
  kRef3d = 0x3A,
  kArea3d = 0x3B,
  kRefErr3d = 0x3C,
  kAreaErr3d = 0x3D,
};

std::uint8_t BaseOf(std::uint8_t ptg) {
  return ptg < 0x20 ? ptg : static_cast<std::uint8_t>((ptg & 0x1F) | 0x20);
}

bool IsConstantPtg(std::uint8_t ptg) {
  return ptg == 0x17 || ptg == 0x1C || ptg == 0x1D || ptg == 0x1E ||
         ptg == 0x1F || BaseOf(ptg) == 0x20;
}

// A name's expression reduced to what matters here: how many references
// it holds, the last of them, and whether anything else is in it.
struct Expression {
  int areas = 0;
  bool deleted = false;
  bool other = false;
  bool three_d = false;
  std::int32_t extern_index = 0;  // ixti of BIFF8, ixals of BIFF5
  std::uint16_t first_sheet = 0, last_sheet = 0;  // BIFF5 only
  BlockGeometry block;
};

class ExpressionReader {
 public:
  ExpressionReader(std::string_view tokens, bool biff8)
      : tokens_(tokens), biff8_(biff8) {}

  Expression Read() {
    while (at_ < tokens_.size() && !result_.other) Token();
    return result_;
  }

 private:
  bool Has(std::size_t bytes) const { return at_ + bytes <= tokens_.size(); }
  std::uint16_t U16() {
    const auto value = static_cast<std::uint16_t>(
        static_cast<unsigned char>(tokens_[at_]) |
        static_cast<unsigned char>(tokens_[at_ + 1]) << 8);
    at_ += 2;
    return value;
  }
  std::uint16_t Column() {
    if (biff8_) return U16() & 0x00FF;
    return static_cast<unsigned char>(tokens_[at_++]);
  }
  std::uint16_t Row() { return biff8_ ? U16() : U16() & 0x3FFF; }

  void Token() {
    const std::uint8_t ptg = BaseOf(static_cast<unsigned char>(tokens_[at_++]));
    switch (ptg) {
      case kUnion:
      case kParen:
        return;
      case kMemFunc:
        return Skip(2);
      case kRef:
      case kRefErr:
        return Reference(false, false, ptg == kRefErr);
      case kArea:
      case kAreaErr:
        return Reference(false, true, ptg == kAreaErr);
      case kRef3d:
      case kRefErr3d:
        return Reference(true, false, ptg == kRefErr3d);
      case kArea3d:
      case kAreaErr3d:
        return Reference(true, true, ptg == kAreaErr3d);
      default:
        result_.other = true;
    }
  }

  void Skip(std::size_t bytes) {
    if (!Has(bytes)) result_.other = true;
    at_ += bytes;
  }

  void Reference(bool three_d, bool area, bool deleted) {
    const std::size_t sheet_bytes = !three_d ? 0 : biff8_ ? 2 : 14;
    const std::size_t cell_bytes = biff8_ ? 4 : 3;
    if (!Has(sheet_bytes + cell_bytes * (area ? 2 : 1))) {
      result_.other = true;
      return;
    }
    ++result_.areas;
    result_.deleted = result_.deleted || deleted;
    result_.three_d = three_d;
    if (three_d) {
      result_.extern_index = static_cast<std::int16_t>(U16());
      if (!biff8_) {
        at_ += 8;
        result_.first_sheet = U16();
        result_.last_sheet = U16();
      }
    }
    // Both formats give the rows, then the columns.
    const std::uint16_t first_row = Row();
    const std::uint16_t last_row = area ? Row() : first_row;
    const std::uint16_t first_column = Column();
    const std::uint16_t last_column = area ? Column() : first_column;
    result_.block = Geometry(first_row, last_row, first_column, last_column);
  }

  BlockGeometry Geometry(std::int32_t first_row, std::int32_t last_row,
                         std::int32_t first_column,
                         std::int32_t last_column) const {
    const std::int32_t last_stored_row = biff8_ ? 0xFFFF : 0x3FFF;
    if (first_row > last_row) std::swap(first_row, last_row);
    if (first_column > last_column) std::swap(first_column, last_column);
    // The last row or column of the format stands for "to the end", which
    // is further in the workbooks we convert to.
    if (first_row == 0 && last_row == last_stored_row) {
      last_row = kMaxRows - 1;
    }
    if (first_column == 0 && last_column == 0xFF) last_column = kMaxColumns - 1;
    return BlockGeometry{first_row + 1, last_row - first_row + 1,
                         first_column + 1, last_column - first_column + 1};
  }

  std::string_view tokens_;
  bool biff8_;
  std::size_t at_ = 0;
  Expression result_;
};

}  // namespace

bool XlsNames::Reads(std::uint16_t record_type) {
  return record_type == kNameRecord || record_type == kExternSheetRecord ||
         record_type == kSupBookRecord;
}

void XlsNames::Read(std::uint16_t record_type, BiffRecordReader& record,
                    bool biff8, Workbook& workbook) {
  if (record_type == kNameRecord) {
    ReadName(record, biff8, workbook);
  } else if (record_type == kSupBookRecord) {
    record.U16();  // sheet count
    own_supbooks_.push_back(record.U16() == kOwnSupBook);
  } else if (record_type == kExternSheetRecord && biff8) {
    // BIFF5 stores sheet names here instead; its references carry the
    // sheet indices themselves.
    const std::uint16_t count = record.U16();
    for (std::uint16_t i = 0; i < count; ++i) {
      ExternSheet entry;
      entry.supbook = record.U16();
      entry.first = record.U16();
      entry.last = record.U16();
      extern_sheets_.push_back(entry);
    }
  }
}

void XlsNames::ReadName(BiffRecordReader& record, bool biff8,
                        Workbook& workbook) {
  PendingName name;
  name.biff8 = biff8;
  const std::uint16_t options = record.U16();
  record.U8();  // keyboard shortcut
  const std::uint8_t length = record.U8();
  const std::uint16_t formula_size = record.U16();
  record.U16();
  name.scope_bound = static_cast<int>(record.U16()) - 1;
  record.Skip(4);  // lengths of menu, description, help and status texts
  name.built_in = (options & kBuiltIn) != 0;
  if (biff8) {
    const bool wide = (record.U8() & 0x01) != 0;
    std::u16string units;
    record.ReadCharacters(length, wide, &units);
    AppendUtf16AsUtf8(units, &name.name);
  } else {
    name.name = std::string(record.ReadBytes(length, &scratch_));
  }
  name.formula = std::string(record.ReadBytes(formula_size, &scratch_));
  workbook.budget().ChargeText(name.name.size() + name.formula.size());
  names_.push_back(std::move(name));
}

BlockName XlsNames::Resolve(const PendingName& pending,
                            const Workbook& workbook,
                            const std::vector<int>& sheet_of_bound) const {
  BlockName name;
  name.name = pending.name;
  if (pending.built_in) {
    const auto code = pending.name.empty()
                          ? 0xFFu
                          : static_cast<unsigned char>(pending.name[0]);
    name.name = std::string("_xlnm.") +
                (code < std::size(kBuiltInNames) ? kBuiltInNames[code] : "?");
    name.unusable_reason = BuiltInNameReason(name.name);
  }
  const auto sheet_of = [&](int bound) {
    return bound >= 0 && bound < static_cast<int>(sheet_of_bound.size())
               ? sheet_of_bound[bound]
               : -1;
  };
  if (pending.scope_bound >= 0) {
    name.scope_sheet = sheet_of(pending.scope_bound);
    if (name.scope_sheet < 0) {
      name.unusable_reason = "belongs to a sheet that does not exist";
    }
  }
  if (!name.usable()) return name;
  const Expression expression =
      ExpressionReader(pending.formula, pending.biff8).Read();
  int bound = pending.scope_bound;
  if (pending.formula.empty()) {
    name.unusable_reason = "has no definition";
  } else if (expression.other || expression.areas == 0) {
    name.unusable_reason =
        expression.areas == 0 &&
                IsConstantPtg(static_cast<unsigned char>(pending.formula[0]))
            ? "refers to a constant"
            : "refers to a formula";
  } else if (expression.deleted) {
    name.unusable_reason = "refers to a deleted reference";
  } else if (expression.areas > 1) {
    name.unusable_reason = "refers to several areas";
  } else if (expression.three_d && pending.biff8) {
    const auto index = static_cast<std::uint16_t>(expression.extern_index);
    if (index >= extern_sheets_.size()) {
      name.unusable_reason = "has a bad reference";
    } else {
      const ExternSheet& entry = extern_sheets_[index];
      if (entry.supbook >= own_supbooks_.size() ||
          !own_supbooks_[entry.supbook]) {
        name.unusable_reason = "refers to another workbook";
      } else if (entry.first >= 0xFFFE || entry.last >= 0xFFFE) {
        name.unusable_reason = "refers to a deleted reference";
      } else if (entry.first != entry.last) {
        name.unusable_reason = "refers to several sheets";
      }
      bound = entry.first;
    }
  } else if (expression.three_d) {
    if (expression.extern_index > 0) {
      name.unusable_reason = "refers to another workbook";
    } else if (expression.first_sheet == 0xFFFF) {
      name.unusable_reason = "refers to a deleted reference";
    } else if (expression.first_sheet != expression.last_sheet) {
      name.unusable_reason = "refers to several sheets";
    }
    bound = expression.first_sheet;
  }
  if (!name.usable()) return name;
  name.sheet = sheet_of(bound);
  if (name.sheet < 0) {
    name.unusable_reason =
        bound < 0 ? "names no sheet" : "refers to a sheet that does not exist";
    return name;
  }
  name.block = expression.block;
  name.definition = QuotedSheetName(workbook.sheet(name.sheet).name()) + "!" +
                    FormatArea(name.block);
  return name;
}

void XlsNames::AddTo(
    Workbook& workbook, const std::vector<int>& sheet_of_bound,
    const std::function<std::string(std::string_view)>& decode) {
  for (PendingName& pending : names_) {
    if (!pending.biff8 && !pending.built_in) {
      pending.name = decode(pending.name);
    }
    workbook.AddName(Resolve(pending, workbook, sheet_of_bound));
  }
  names_.clear();
}

}  // namespace kestrilo
