// SPDX-License-Identifier: MIT

#include "engine/reading/ods/ods_file.h"

#include <optional>

#include "engine/input/workbook_error.h"
#include "engine/model/sheet_name.h"
#include "engine/reading/ods/ods_content.h"
#include "engine/reading/ods/ods_row_target.h"
#include "engine/reading/ods/ods_sheet_target.h"
#include "engine/reading/xml/xml_error.h"
#include "engine/reading/xml/xml_tokenizer.h"
#include "engine/reading/zip/package_part.h"
#include "engine/reading/zip/zip_archive.h"

namespace kestrilo {

namespace {

using Token = XmlTokenizer::Token;

void RefuseEncrypted(const std::string& path, const ZipArchive& zip) {
  if (!zip.Contains("META-INF/manifest.xml")) return;
  const std::string manifest = zip.Read("META-INF/manifest.xml", 16u << 20);
  if (manifest.find("encryption-data") != std::string::npos ||
      manifest.find("encrypted-package") != std::string::npos) {
    throw WorkbookError(path, "the workbook is password-protected (encrypted)");
  }
}

// The name of the sheet settings.xml marks as active, or empty.
std::string ActiveTableName(const ZipArchive& zip, ReaderBudget& budget) {
  if (!zip.Contains("settings.xml")) return {};
  budget.ChargePart("settings.xml", zip.EntrySize("settings.xml").value_or(0));
  const std::string xml = PackagePart::ReadSmallXml(zip, "settings.xml");
  try {
    XmlTokenizer tokens(xml);
    bool in_active_table = false;
    for (Token token = tokens.Next(); token != Token::kEnd;
         token = tokens.Next()) {
      if (token == Token::kStartTag) {
        in_active_table = tokens.local_name() == "config-item" &&
                          tokens.AttributeOr("name") == "ActiveTable";
      } else if (token == Token::kText && in_active_table) {
        return std::string(tokens.text());
      } else {
        in_active_table = false;
      }
    }
  } catch (const XmlError& error) {
    PackagePart::FailXml(zip, "settings.xml", error);
  }
  return {};
}

bool ChoosesActive(const SheetChoice& choice) {
  return choice.name.empty() && !choice.number;
}

// Whether the table at `index` named `name` is the one `choice` picks, as
// SheetChoice::Find() would pick it among all tables; `active` is the name
// settings.xml gives the active table, empty when it names none.
bool Chooses(const SheetChoice& choice, const std::string& active, int index,
             const std::string& name) {
  if (!choice.name.empty()) return SameSheetName(name, choice.name);
  if (choice.number) return index + 1 == *choice.number;
  return active.empty() ? index == 0 : name == active;
}

// The pass's target for the table `choice` picks, the first it picks.
class ChosenTable {
 public:
  ChosenTable(const SheetChoice& choice, std::string active)
      : choice_(choice), active_(std::move(active)) {}

  bool Take(int index, const Sheet& sheet) {
    if (index_ || !Chooses(choice_, active_, index, sheet.name())) {
      return false;
    }
    index_ = index;
    return true;
  }
  std::optional<int> index() const { return index_; }

 private:
  const SheetChoice& choice_;
  std::string active_;
  std::optional<int> index_;
};

class OdsFile : public WorkbookFile {
 public:
  explicit OdsFile(std::string path) : path_(std::move(path)) {}

  const Workbook& Structure() override {
    if (!structure_) {
      auto workbook = NewWorkbook();
      const std::string active = ActiveTableName(Zip(), workbook->budget());
      Read(*workbook, OdsContentPlan{});
      SetActive(*workbook, active);
      structure_ = std::move(workbook);
    }
    return *structure_;
  }

  SheetRead ReadRows(const SheetChoice& choice, RowSink& sink) override {
    SheetChoice wanted = choice;
    for (;;) {
      auto workbook = NewWorkbook();
      ChosenTable chosen(wanted, ActiveNameFor(wanted, *workbook));
      OdsRowTarget target(sink, workbook->budget());
      OdsContentPlan plan;
      plan.names = false;
      plan.stop_after_target = true;
      plan.target = [&](int index, Sheet& sheet) -> OdsTableTarget* {
        if (!chosen.Take(index, sheet)) return nullptr;
        sink.UseStyles(workbook->styles());
        return &target;
      };
      Read(*workbook, plan);
      if (const std::optional<int> index = chosen.index()) {
        return {*index, workbook->sheet(*index).name(),
                workbook->formulas_without_value()};
      }
      wanted = MissingOrFirst(wanted, *workbook);
    }
  }

  std::unique_ptr<Workbook> ReadCells(
      const std::optional<SheetChoice>& only) override {
    std::optional<SheetChoice> wanted = only;
    for (;;) {
      auto workbook = NewWorkbook();
      const std::string active = ActiveTableName(Zip(), workbook->budget());
      std::optional<ChosenTable> chosen;
      if (wanted) chosen.emplace(*wanted, active);
      OdsSheetTarget target(*workbook);
      OdsContentPlan plan;
      plan.target = [&](int index, Sheet& sheet) -> OdsTableTarget* {
        if (chosen && !chosen->Take(index, sheet)) return nullptr;
        target.Bind(sheet);
        return &target;
      };
      Read(*workbook, plan);
      SetActive(*workbook, active);
      if (!chosen || chosen->index()) return workbook;
      wanted = MissingOrFirst(*wanted, *workbook);
    }
  }

 private:
  const ZipArchive& Zip() {
    if (!zip_) {
      auto zip = std::make_unique<ZipArchive>(path_);
      RefuseEncrypted(path_, *zip);
      if (!zip->Contains("content.xml")) {
        throw WorkbookError(path_,
                            "the OpenDocument package has no content.xml");
      }
      zip_ = std::move(zip);
    }
    return *zip_;
  }

  std::unique_ptr<Workbook> NewWorkbook() {
    Zip();
    return std::make_unique<Workbook>(path_, "ods");
  }

  // settings.xml is read only when the active sheet is asked for.
  std::string ActiveNameFor(const SheetChoice& choice, Workbook& workbook) {
    return ChoosesActive(choice) ? ActiveTableName(Zip(), workbook.budget())
                                 : std::string();
  }

  void Read(Workbook& workbook, const OdsContentPlan& plan) {
    ReadOdsContent(path_, Zip(), workbook, plan);
    if (workbook.sheet_count() == 0) {
      throw WorkbookError(path_, "the spreadsheet has no sheets");
    }
  }

  // The first exact match, as spreadsheet applications save the name.
  static void SetActive(Workbook& workbook, const std::string& active) {
    if (active.empty()) return;
    for (int i = 0; i < workbook.sheet_count(); ++i) {
      if (workbook.sheet(i).name() == active) {
        workbook.set_active_sheet(i);
        return;
      }
    }
  }

  // After a pass in which `choice` picked no table: the first sheet when
  // the active one was asked for and settings.xml names a table the file
  // lacks (the first is active then, as when it names none; the tables
  // are read again, a case of damaged files only); otherwise the sheet is
  // missing.
  SheetChoice MissingOrFirst(const SheetChoice& choice,
                             const Workbook& workbook) const {
    if (!ChoosesActive(choice)) {
      throw WorkbookError(path_, choice.MissingReason(workbook.sheet_count()));
    }
    return SheetChoice::AtIndex(0);
  }

  std::string path_;
  std::unique_ptr<ZipArchive> zip_;
  std::unique_ptr<Workbook> structure_;
};

}  // namespace

std::unique_ptr<WorkbookFile> OpenOdsFile(const std::string& path) {
  return std::make_unique<OdsFile>(path);
}

}  // namespace kestrilo
