// SPDX-License-Identifier: MIT

#pragma once
// Writes small zip packages for the reader tests, so that each case shows
// exactly the XML it feeds the reader.

#include <gtest/gtest.h>
#include <unistd.h>
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace kestrilo::testing_support {

using Parts = std::vector<std::pair<std::string, std::string>>;

/// A folder of this process's own, made on first use and removed at exit.
/// CTest runs each test as a process of its own, several at once, and other
/// checkouts on the machine run the same tests: a fixed name in the shared
/// temporary folder let one test read the package another had just written.
inline const std::filesystem::path& TestFolder() {
  struct Folder {
    pid_t owner = 0;
    std::filesystem::path path;
    ~Folder() {
      std::error_code ignored;
      if (owner == ::getpid()) std::filesystem::remove_all(path, ignored);
    }
  };
  static Folder folder;
  // A forked child must not share its parent's folder either.
  if (folder.owner != ::getpid()) {
    std::string pattern =
        (std::filesystem::path(::testing::TempDir()) / "kestrilo-test-XXXXXX")
            .string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      ADD_FAILURE() << "cannot create a folder like " << pattern;
    }
    folder.owner = ::getpid();
    folder.path = pattern;
  }
  return folder.path;
}

inline std::string TestFilePath(const std::string& name) {
  return (TestFolder() / name).string();
}

/// Writes `parts` (name, content) into a new zip file; returns its path.
inline std::string WritePackage(const std::string& name, const Parts& parts,
                                bool compress = true) {
  const std::string path = TestFilePath(name);
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  EXPECT_NE(archive, nullptr) << "cannot create " << path;
  if (archive == nullptr) return path;
  for (const auto& [part, content] : parts) {
    zip_source_t* source =
        zip_source_buffer(archive, content.data(), content.size(), 0);
    const zip_int64_t index =
        zip_file_add(archive, part.c_str(), source, ZIP_FL_ENC_UTF_8);
    EXPECT_GE(index, 0) << part;
    if (!compress) {
      zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                               ZIP_CM_STORE, 0);
    }
  }
  EXPECT_EQ(zip_close(archive), 0) << zip_strerror(archive);
  return path;
}

constexpr const char* kMainNamespace =
    "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

inline std::string WorkbookXml(const std::string& sheets,
                               const std::string& extra = "") {
  return std::string(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<workbook xmlns=\"") +
         kMainNamespace +
         "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
         "relationships\">" +
         extra + "<sheets>" + sheets + "</sheets></workbook>";
}

inline std::string SheetXml(const std::string& rows) {
  return std::string("<worksheet xmlns=\"") + kMainNamespace +
         "\"><sheetData>" + rows + "</sheetData></worksheet>";
}

inline std::string Relationship(const std::string& id, const std::string& kind,
                                const std::string& target) {
  return "<Relationship Id=\"" + id +
         "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
         "relationships/" +
         kind + "\" Target=\"" + target + "\"/>";
}

inline std::string Relationships(const std::string& items) {
  return "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/"
         "2006/relationships\">" +
         items + "</Relationships>";
}

/// The parts of a one-sheet workbook "Sheet1" whose sheet part holds
/// `rows`; shared strings and styles only when given.
inline Parts OneSheetPackage(const std::string& rows,
                             const std::string& shared_strings = "",
                             const std::string& styles = "") {
  std::string workbook_rels =
      Relationship("rId1", "worksheet", "worksheets/sheet1.xml");
  Parts parts = {
      {"_rels/.rels", Relationships(Relationship("rId1", "officeDocument",
                                                 "xl/workbook.xml"))},
      {"xl/workbook.xml",
       WorkbookXml("<sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/>")},
      {"xl/worksheets/sheet1.xml", SheetXml(rows)},
  };
  if (!shared_strings.empty()) {
    workbook_rels += Relationship("rId2", "sharedStrings", "sharedStrings.xml");
    parts.push_back({"xl/sharedStrings.xml", std::string("<sst xmlns=\"") +
                                                 kMainNamespace + "\">" +
                                                 shared_strings + "</sst>"});
  }
  if (!styles.empty()) {
    workbook_rels += Relationship("rId3", "styles", "styles.xml");
    parts.push_back({"xl/styles.xml", std::string("<styleSheet xmlns=\"") +
                                          kMainNamespace + "\">" + styles +
                                          "</styleSheet>"});
  }
  parts.push_back({"xl/_rels/workbook.xml.rels", Relationships(workbook_rels)});
  return parts;
}

}  // namespace kestrilo::testing_support
