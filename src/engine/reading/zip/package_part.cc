// SPDX-License-Identifier: MIT

#include "engine/reading/zip/package_part.h"

#include "engine/input/workbook_error.h"
#include "engine/reading/xml/xml_tokenizer.h"

namespace kestrilo {

// Relationship and content-type parts are tiny; a cap keeps a crafted one
// from costing much.
constexpr std::uint64_t kMaxRelationshipsSize = 64 << 20;

std::string PackagePart::ReadSmallXml(const ZipArchive& zip,
                                      std::string_view part) {
  const auto size = zip.EntrySize(part);
  if (size && *size > kMaxRelationshipsSize) {
    throw WorkbookError(zip.path(),
                        "the part " + std::string(part) + " is too large");
  }
  return ReadXml(zip, part);
}

std::string PackagePart::ReadXml(const ZipArchive& zip, std::string_view part) {
  std::string xml = zip.Read(part);
  try {
    XmlTokenizer::ConvertToUtf8(xml);
  } catch (const XmlError& error) {
    FailXml(zip, part, error);
  }
  return xml;
}

void PackagePart::FailXml(const ZipArchive& zip, std::string_view part,
                          const std::exception& error) {
  throw WorkbookError(zip.path(), "malformed XML in the part " +
                                      std::string(part) + ": " + error.what());
}

bool PackagePart::TypeIs(std::string_view type, std::string_view kind) {
  return type.size() > kind.size() &&
         type.substr(type.size() - kind.size()) == kind &&
         type[type.size() - kind.size() - 1] == '/';
}

std::string PackagePart::ResolveTarget(std::string_view source,
                                       std::string_view target) {
  std::string joined;
  if (!target.empty() && target.front() == '/') {
    joined = target.substr(1);
  } else {
    const std::size_t slash = source.rfind('/');
    joined = std::string(
        slash == std::string_view::npos ? "" : source.substr(0, slash + 1));
    joined += target;
  }
  // Normalise "." and ".." segments.
  std::vector<std::string> segments;
  std::size_t start = 0;
  while (start <= joined.size()) {
    std::size_t slash = joined.find('/', start);
    if (slash == std::string::npos) slash = joined.size();
    const std::string segment = joined.substr(start, slash - start);
    if (segment == "..") {
      if (!segments.empty()) segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    start = slash + 1;
  }
  std::string resolved;
  for (const std::string& segment : segments) {
    if (!resolved.empty()) resolved += '/';
    resolved += segment;
  }
  return resolved;
}

std::vector<PackageRelationship> PackagePart::Relationships(
    const ZipArchive& zip, std::string_view part) {
  const std::size_t slash = part.rfind('/');
  const std::string folder(
      slash == std::string_view::npos ? "" : part.substr(0, slash + 1));
  const std::string name(
      slash == std::string_view::npos ? part : part.substr(slash + 1));
  const std::string rels_part = folder + "_rels/" + name + ".rels";
  std::vector<PackageRelationship> relationships;
  if (!zip.Contains(rels_part)) return relationships;
  const std::string xml = ReadSmallXml(zip, rels_part);
  try {
    XmlTokenizer xml_tokens(xml);
    for (auto token = xml_tokens.Next(); token != XmlTokenizer::Token::kEnd;
         token = xml_tokens.Next()) {
      if (token != XmlTokenizer::Token::kStartTag ||
          xml_tokens.local_name() != "Relationship") {
        continue;
      }
      PackageRelationship relationship;
      relationship.id = xml_tokens.AttributeOr("Id");
      relationship.type = xml_tokens.AttributeOr("Type");
      relationship.external =
          xml_tokens.AttributeOr("TargetMode") == "External";
      const std::string_view target = xml_tokens.AttributeOr("Target");
      relationship.target = relationship.external ? std::string(target)
                                                  : ResolveTarget(part, target);
      relationships.push_back(std::move(relationship));
    }
  } catch (const XmlError& error) {
    FailXml(zip, rels_part, error);
  }
  return relationships;
}

}  // namespace kestrilo
