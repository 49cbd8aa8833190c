// SPDX-License-Identifier: MIT

#include "engine/reading/package_reader.h"

#include <new>

#include "engine/input/workbook_error.h"
#include "engine/reading/ods/ods_file.h"
#include "engine/reading/xlsx/xlsx_file.h"
#include "engine/reading/xml/xml_tokenizer.h"
#include "engine/reading/zip/package_part.h"
#include "engine/reading/zip/zip_archive.h"

namespace kestrilo {

namespace {

constexpr std::string_view kOdsMimeType =
    "application/vnd.oasis.opendocument.spreadsheet";
constexpr std::string_view kOdfMimePrefix =
    "application/vnd.oasis.opendocument.";

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The main part named by the package's officeDocument relationship, or
// empty.
std::string OfficeDocumentPart(const ZipArchive& zip) {
  for (const PackageRelationship& relationship :
       PackagePart::Relationships(zip, "")) {
    if (!relationship.external &&
        PackagePart::TypeIs(relationship.type, "officeDocument") &&
        zip.Contains(relationship.target)) {
      return relationship.target;
    }
  }
  return {};
}

// The workbook part named by [Content_Types].xml, for packages without a
// usable root relationship; empty when there is none.
std::string ContentTypesWorkbookPart(const ZipArchive& zip) {
  if (!zip.Contains("[Content_Types].xml")) return {};
  const std::string xml_text =
      PackagePart::ReadSmallXml(zip, "[Content_Types].xml");
  try {
    XmlTokenizer xml(xml_text);
    for (auto token = xml.Next(); token != XmlTokenizer::Token::kEnd;
         token = xml.Next()) {
      if (token != XmlTokenizer::Token::kStartTag ||
          xml.local_name() != "Override") {
        continue;
      }
      const std::string_view type = xml.AttributeOr("ContentType");
      if (type.find("spreadsheetml") != std::string_view::npos &&
          type.ends_with(".main+xml")) {
        const std::string part =
            PackagePart::ResolveTarget("", xml.AttributeOr("PartName"));
        if (zip.Contains(part)) return part;
      }
    }
  } catch (const XmlError& error) {
    PackagePart::FailXml(zip, "[Content_Types].xml", error);
  }
  return {};
}

std::string MimeType(const ZipArchive& zip) {
  if (!zip.Contains("mimetype")) return {};
  std::string mime = zip.Read("mimetype", 4096);
  while (!mime.empty() &&
         (mime.back() == '\n' || mime.back() == '\r' || mime.back() == ' ')) {
    mime.pop_back();
  }
  return mime;
}

[[noreturn]] void RefuseOtherPackage(const std::string& path,
                                     const ZipArchive& zip,
                                     std::string_view main_part) {
  if (zip.Contains("xl/workbook.bin") || main_part.ends_with(".bin")) {
    throw WorkbookError(path,
                        ".xlsb binary workbooks are not supported; save it "
                        "as .xlsx");
  }
  if (zip.Contains("word/document.xml")) {
    throw WorkbookError(path, "this is a Word document, not a workbook");
  }
  if (zip.Contains("ppt/presentation.xml")) {
    throw WorkbookError(path,
                        "this is a PowerPoint presentation, not a workbook");
  }
  const std::string mime = MimeType(zip);
  if (StartsWith(mime, kOdfMimePrefix)) {
    throw WorkbookError(
        path, "this OpenDocument file (" + mime + ") is not a spreadsheet");
  }
  if (zip.EntryNames().empty()) {
    throw WorkbookError(path, "the zip archive is empty: no workbook in it");
  }
  throw WorkbookError(path,
                      "a zip archive without workbook parts (neither xlsx "
                      "nor ods)");
}

// The main part of the package, found as an application would; empty when
// there is none.
std::string MainPart(const ZipArchive& zip) {
  std::string main_part = OfficeDocumentPart(zip);
  if (main_part.empty() && zip.Contains("xl/workbook.xml")) {
    main_part = "xl/workbook.xml";
  }
  if (main_part.empty()) main_part = ContentTypesWorkbookPart(zip);
  return main_part;
}

std::unique_ptr<WorkbookFile> OpenPackage(const std::string& path) {
  auto archive = std::make_unique<ZipArchive>(path);
  const ZipArchive& zip = *archive;
  const std::string main_part = MainPart(zip);
  if (!main_part.empty() && main_part.ends_with(".xml")) {
    return OpenXlsxFile(std::move(archive), main_part);
  }
  const std::string mime = MimeType(zip);
  if (StartsWith(mime, kOdsMimeType) ||
      (mime.empty() && zip.Contains("content.xml") &&
       zip.Contains("META-INF/manifest.xml"))) {
    return OpenOdsFile(path);
  }
  RefuseOtherPackage(path, zip, main_part);
}

}  // namespace

std::string SpreadsheetMainPart(const ZipArchive& zip) {
  std::string main_part = MainPart(zip);
  if (!main_part.ends_with(".xml")) main_part.clear();
  return main_part;
}

std::unique_ptr<WorkbookFile> OpenPackageFile(const std::string& path) {
  try {
    return OpenPackage(path);
  } catch (const std::bad_alloc&) {
    throw WorkbookError(path, "not enough memory to read this workbook");
  }
}

}  // namespace kestrilo
