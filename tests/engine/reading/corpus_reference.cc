// SPDX-License-Identifier: MIT

#include "corpus_reference.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace kestrilo {

namespace {

std::string ValueText(const nlohmann::json& value) {
  if (value.is_string()) return value.get<std::string>();
  if (value.is_boolean()) return value.get<bool>() ? "true" : "false";
  return value.dump();
}

}  // namespace

ReferenceWorkbook LoadReference(const std::string& path) {
  std::ifstream file(path);
  if (!file) throw std::runtime_error("cannot open " + path);
  const nlohmann::json json = nlohmann::json::parse(file);
  ReferenceWorkbook workbook;
  workbook.expect_error = json.value("expect_error", false);
  if (json.contains("limits")) {
    workbook.max_rows = json["limits"].value("max_rows", 200);
    workbook.max_columns = json["limits"].value("max_cols", 50);
  }
  if (!json.contains("sheets") || !json["sheets"].is_array()) return workbook;
  for (const auto& sheet_json : json["sheets"]) {
    ReferenceSheet sheet;
    sheet.name = sheet_json.value("name", "");
    sheet.kind = sheet_json.value("kind", "worksheet");
    sheet.hidden = sheet_json.value("hidden", false);
    if (sheet_json.contains("used_range") &&
        sheet_json["used_range"].is_string()) {
      sheet.used_range = sheet_json["used_range"].get<std::string>();
    }
    for (const auto& cell_json :
         sheet_json.value("cells", nlohmann::json::array())) {
      ReferenceCell cell;
      cell.ref = cell_json.value("ref", "");
      cell.row = cell_json.value("row", 0);
      cell.column = cell_json.value("col", 0);
      cell.type = cell_json.value("type", "");
      cell.value = ValueText(cell_json["value"]);
      sheet.cells.push_back(std::move(cell));
    }
    workbook.sheets.push_back(std::move(sheet));
  }
  return workbook;
}

}  // namespace kestrilo
