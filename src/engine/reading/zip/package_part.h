// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/reading/zip/zip_archive.h"

namespace kestrilo {

/// One relationship of a package part (OOXML `_rels/*.rels`).
struct PackageRelationship {
  std::string id;
  /// The type URI, e.g. ".../relationships/worksheet".
  std::string type;
  /// The target as a part name within the package (no leading '/'), or
  /// the raw target of an external one.
  std::string target;
  bool external = false;
};

/// Helpers for the XML parts of zip packages, shared by the package
/// readers.
class PackagePart {
 public:
  /// Reads an XML part as UTF-8 (UTF-16 parts are converted). Throws
  /// WorkbookError when it is missing or damaged.
  static std::string ReadXml(const ZipArchive& zip, std::string_view part);
  /// Like ReadXml, for a part that is always small (relationships, content
  /// types): refused when it states more than 64 MB.
  static std::string ReadSmallXml(const ZipArchive& zip, std::string_view part);

  /// The relationships of `part` (from `<folder>/_rels/<name>.rels`),
  /// targets resolved against the part's folder. Empty when the package
  /// has no relationship part for it.
  static std::vector<PackageRelationship> Relationships(const ZipArchive& zip,
                                                        std::string_view part);

  /// Resolves a relationship target against the folder of `source`:
  /// "worksheets/sheet1.xml" from "xl/workbook.xml" is
  /// "xl/worksheets/sheet1.xml"; "/xl/x.xml" is "xl/x.xml"; ".." steps up.
  static std::string ResolveTarget(std::string_view source,
                                   std::string_view target);

  /// True when `type` ends with "/" + `kind` (relationship types differ
  /// between transitional and strict OOXML only before the last '/').
  static bool TypeIs(std::string_view type, std::string_view kind);

  /// Throws WorkbookError for malformed XML found in `part`.
  [[noreturn]] static void FailXml(const ZipArchive& zip, std::string_view part,
                                   const std::exception& error);
};

}  // namespace kestrilo
