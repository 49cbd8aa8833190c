// SPDX-License-Identifier: MIT

#include "engine/reading/xlsx/xlsx_workbook_reader.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

#include "engine/input/workbook_error.h"
#include "engine/reading/xlsx/xlsx_names.h"
#include "engine/reading/xlsx/xlsx_styles.h"
#include "engine/reading/xlsx/xlsx_theme.h"
#include "engine/reading/xml/xml_tokenizer.h"
#include "engine/reading/zip/arriving_xml.h"
#include "engine/reading/zip/background_inflater.h"
#include "engine/reading/zip/package_part.h"
#include "engine/text/ascii_text.h"
#include "engine/text/number_text.h"

namespace kestrilo {

namespace {

using Token = XmlTokenizer::Token;

// The most cells we set aside room for before seeing them.
constexpr std::size_t kMaxReserve = 8 << 20;

void ParseSharedStrings(XmlTokenizer& xml, StringPool& pool) {
  std::string text;
  int phonetic_depth = 0;  // inside <rPh>: reading aids, not the text
  bool in_item = false;
  bool in_t = false;
  XmlTokenizer::FlatElement flat;
  for (;;) {
    // Most items are a plain text alone, <si><t>text</t></si>: read whole.
    if (!in_item && xml.ReadFlatElement("si", flat)) {
      if (flat.child.empty() || XmlTokenizer::HasLocalName(flat.child, "t")) {
        text.assign(flat.text);
        DecodeEscapes(text);
        pool.Add(text);
        continue;
      }
      // Any other child holds no text of the item.
      pool.Add({});
      continue;
    }
    const Token token = xml.Next();
    if (token == Token::kEnd) break;
    if (token == Token::kText) {
      if (in_t && phonetic_depth == 0) text.append(xml.text());
      continue;
    }
    const std::string_view name = xml.local_name();
    const bool start = token == Token::kStartTag;
    if (name == "t") {
      in_t = start && in_item;
    } else if (name == "rPh") {
      phonetic_depth += start ? 1 : -1;
    } else if (name == "si") {
      if (start) {
        in_item = true;
        text.clear();
      } else {
        in_item = false;
        DecodeEscapes(text);
        pool.Add(text);
      }
    }
  }
}

}  // namespace

XlsxWorkbookReader::XlsxWorkbookReader(std::unique_ptr<ZipArchive> zip,
                                       std::string workbook_part)
    : path_(zip->path()),
      archive_(std::move(zip)),
      zip_(*archive_),
      workbook_part_(std::move(workbook_part)),
      structure_(std::make_unique<Workbook>(path_, "xlsx")) {
  ReadStructure();
}

XlsxWorkbookReader::~XlsxWorkbookReader() = default;

void XlsxWorkbookReader::Fail(const std::string& reason) const {
  throw WorkbookError(path_, reason);
}

void XlsxWorkbookReader::ReadStructure() {
  entries_ = ReadWorkbookPart();
  if (entries_.empty()) Fail("the workbook lists no sheets");
  std::unordered_map<std::string, PackageRelationship> by_id;
  for (PackageRelationship& relationship :
       PackagePart::Relationships(zip_, workbook_part_)) {
    if (relationship.external) continue;
    if (PackagePart::TypeIs(relationship.type, "sharedStrings")) {
      shared_strings_part_ = relationship.target;
    } else if (PackagePart::TypeIs(relationship.type, "styles")) {
      styles_part_ = relationship.target;
    } else if (PackagePart::TypeIs(relationship.type, "theme")) {
      theme_part_ = relationship.target;
    }
    by_id.emplace(relationship.id, std::move(relationship));
  }
  // Chart sheets hold no cells and stay in the list as empty sheets, so
  // that sheet positions (and the active tab) match the file.
  for (const SheetEntry& entry : entries_) {
    const auto it = by_id.find(entry.relationship_id);
    if (it == by_id.end()) {
      Fail("the sheet \"" + entry.name + "\" has no part in the package");
    }
    parts_.push_back(PackagePart::TypeIs(it->second.type, "chartsheet")
                         ? std::string()
                         : FindSheetPart(it->second.target, entry.name));
  }
  for (const SheetEntry& entry : entries_) {
    structure_->AddSheet(entry.name, entry.hidden).Finish();
  }
  ReadXlsxNames(zip_, workbook_part_, parts_, *structure_);
  structure_->set_active_sheet(active_tab_);
}

std::vector<XlsxWorkbookReader::SheetEntry>
XlsxWorkbookReader::ReadWorkbookPart() {
  const std::string xml_text = ReadPart(workbook_part_, *structure_);
  std::vector<SheetEntry> sheets;
  try {
    XmlTokenizer xml(xml_text);
    bool active_seen = false;
    for (Token token = xml.Next(); token != Token::kEnd; token = xml.Next()) {
      // Extensions repeat some names (x15:workbookPr): only the main
      // elements count, at their fixed depths.
      if (token != Token::kStartTag || xml.depth() > 3) continue;
      const std::string_view name = xml.local_name();
      if (name == "workbookPr" && xml.depth() == 2) {
        const std::string_view value = xml.AttributeOr("date1904");
        context_.date1904 = value == "1" || value == "true";
      } else if (name == "workbookView" && xml.depth() == 3 && !active_seen) {
        active_seen = true;
        ParseInteger(xml.AttributeOr("activeTab", "0"), active_tab_);
      } else if (name == "sheet" && xml.depth() == 3) {
        SheetEntry entry;
        entry.name = xml.AttributeOr("name");
        const std::string_view state = xml.AttributeOr("state");
        entry.hidden = state == "hidden" || state == "veryHidden";
        // The relationship id is the namespaced "id" (r:id), not sheetId;
        // a bare "id" of careless writers serves when there is no other.
        for (const auto& attribute : xml.attributes()) {
          const bool prefixed =
              attribute.name.find(':') != std::string_view::npos;
          if (XmlTokenizer::LocalName(attribute.name) == "id" &&
              (prefixed || entry.relationship_id.empty())) {
            entry.relationship_id = attribute.value;
          }
        }
        sheets.push_back(std::move(entry));
      }
    }
  } catch (const XmlError& error) {
    PackagePart::FailXml(zip_, workbook_part_, error);
  }
  return sheets;
}

std::string XlsxWorkbookReader::ReadPart(const std::string& part,
                                         Workbook& workbook) {
  workbook.budget().ChargePart(part, zip_.EntrySize(part).value_or(0));
  return PackagePart::ReadXml(zip_, part);
}

// Parsed while it is inflated, like the sheets: a crafted part of millions
// of empty items meets the budget of texts long before all of it is there.
void XlsxWorkbookReader::ReadSharedStrings(const std::string& part,
                                           Workbook& workbook) {
  workbook.budget().ChargePart(part, zip_.EntrySize(part).value_or(0));
  StringPool& pool = workbook.strings();
  context_.shared_base = static_cast<std::uint32_t>(pool.size());
  try {
    BackgroundInflater inflater(zip_, part);
    ParseArrivingXml(inflater,
                     [&](XmlTokenizer& xml) { ParseSharedStrings(xml, pool); });
  } catch (const XmlError& error) {
    PackagePart::FailXml(zip_, part, error);
  }
  context_.shared_count =
      static_cast<std::uint32_t>(pool.size()) - context_.shared_base;
}

// The styles of a workbook are read for each workbook made, so that its
// StyleTable holds them; their colours may name the theme's.
void XlsxWorkbookReader::ReadStyles(const std::string& part,
                                    Workbook& workbook) {
  XlsxThemeColors theme = DefaultXlsxThemeColors();
  if (!theme_part_.empty() && zip_.Contains(theme_part_)) {
    const std::string theme_xml = ReadPart(theme_part_, workbook);
    try {
      theme = ReadXlsxThemeColors(theme_xml);
    } catch (const XmlError& error) {
      PackagePart::FailXml(zip_, theme_part_, error);
    }
  }
  const std::string xml_text = ReadPart(part, workbook);
  try {
    context_.cell_formats = ReadXlsxStyles(xml_text, theme, workbook.styles());
  } catch (const XmlError& error) {
    PackagePart::FailXml(zip_, part, error);
  } catch (const std::length_error& error) {
    Fail(std::string("the styles hold ") + error.what());
  }
}

std::string XlsxWorkbookReader::FindSheetPart(
    const std::string& target, const std::string& sheet_name) const {
  if (zip_.Contains(target)) return target;
  const std::string decoded = PercentDecoded(target);
  if (zip_.Contains(decoded)) return decoded;
  Fail("the part " + target + " of the sheet \"" + sheet_name +
       "\" is missing");
}

void XlsxWorkbookReader::ReadSharedParts(Workbook& workbook) {
  if (!shared_strings_part_.empty() && zip_.Contains(shared_strings_part_)) {
    ReadSharedStrings(shared_strings_part_, workbook);
  }
  if (!styles_part_.empty() && zip_.Contains(styles_part_)) {
    ReadStyles(styles_part_, workbook);
  }
}

// The sheet part is by far the largest: it is parsed while it is inflated.
std::int64_t XlsxWorkbookReader::ReadWorksheet(const std::string& part,
                                               BackgroundInflater& inflater,
                                               Sheet& sheet) {
  // Each cell takes some 25 bytes or more of XML: room for them all at
  // once spares copying the cells while the sheet grows. Memory not used
  // is never touched, so a generous guess costs little.
  sheet.Reserve(std::min<std::size_t>(inflater.size() / 25, kMaxReserve));
  try {
    XlsxSheetParser parser(path_, part, context_);
    ParseArrivingXml(inflater, [&](XmlTokenizer& xml) {
      parser.ParseWorksheet(xml, sheet);
    });
    return parser.formulas_without_value();
  } catch (const XmlError& error) {
    PackagePart::FailXml(zip_, part, error);
  }
}

const std::string& XlsxWorkbookReader::SheetPart(int index) const {
  return parts_.at(static_cast<std::size_t>(index));
}

std::unique_ptr<BackgroundInflater> XlsxWorkbookReader::StartSheet(
    int index, const ZipArchive& sheet_zip) {
  const std::string& part = SheetPart(index);
  std::unique_ptr<BackgroundInflater> inflater;
  // The sheet is inflated on a worker while the shared strings are read.
  if (!part.empty()) {
    inflater = std::make_unique<BackgroundInflater>(sheet_zip, part);
    structure_->budget().ChargePart(part, inflater->size());
  }
  ReadSharedParts(*structure_);
  return inflater;
}

std::unique_ptr<Workbook> XlsxWorkbookReader::EmptyWorkbook() const {
  auto workbook = std::make_unique<Workbook>(path_, "xlsx");
  // What reading the structure took counts against the same budget.
  workbook->budget() = structure_->budget();
  for (const SheetEntry& entry : entries_) {
    workbook->AddSheet(entry.name, entry.hidden);
  }
  for (const BlockName& name : structure_->names()) workbook->AddName(name);
  workbook->set_active_sheet(structure_->active_sheet());
  return workbook;
}

std::unique_ptr<Workbook> XlsxWorkbookReader::ReadCells(
    std::optional<int> only) {
  std::unique_ptr<Workbook> workbook = EmptyWorkbook();
  std::vector<std::size_t> wanted;
  for (std::size_t i = 0; i < parts_.size(); ++i) {
    if (!parts_[i].empty() && (!only || *only == static_cast<int>(i))) {
      wanted.push_back(i);
    }
  }
  // Sheets are inflated on a worker through a handle of their own, the
  // first one while the shared strings are read here.
  const ZipArchive sheet_zip(path_);
  std::unique_ptr<BackgroundInflater> inflater;
  if (!wanted.empty()) {
    inflater =
        std::make_unique<BackgroundInflater>(sheet_zip, parts_[wanted.front()]);
  }
  ReadSharedParts(*workbook);
  // A part listed for several sheets (no application writes that) is read
  // once; the later sheets show the same cells, charged to the budget.
  std::unordered_map<std::string, std::size_t> read_parts;
  for (const std::size_t i : wanted) {
    Sheet& sheet = workbook->sheet(static_cast<int>(i));
    const auto [it, first_time] =
        read_parts.emplace(AsciiLowered(parts_[i]), i);
    if (!first_time) {
      sheet.CopyFrom(workbook->sheet(static_cast<int>(it->second)));
      continue;
    }
    if (!inflater) {
      inflater = std::make_unique<BackgroundInflater>(sheet_zip, parts_[i]);
    }
    workbook->budget().ChargePart(parts_[i], inflater->size());
    workbook->CountFormulasWithoutValue(
        ReadWorksheet(parts_[i], *inflater, sheet));
    inflater.reset();
  }
  for (int i = 0; i < workbook->sheet_count(); ++i) workbook->sheet(i).Finish();
  return workbook;
}

}  // namespace kestrilo
