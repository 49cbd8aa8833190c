// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kestrilo {

/// Where each workbook of one run writes its XML, and what those writes
/// would replace: a file an earlier workbook of the run wrote, or a workbook
/// of the run itself. The desktop window and kestrilo-cli both plan their
/// runs with it, so that they name and guard output files alike.
class OutputPlan {
 public:
  /// One workbook and its output file.
  struct Entry {
    /// The workbook path as given.
    std::string input;
    /// The output file in normal form (a folder "out/" gives
    /// "out/Book1.xml"); empty when the XML goes to standard output.
    std::string output_path;
    /// The first workbook of the run that writes the same output path: this
    /// entry's own index when none before it does.
    int group = 0;
    /// The nearest earlier workbook that writes the same output path, whose
    /// file this one replaces; -1 when there is none.
    int replaces = -1;
    /// A workbook of this run (this one, or another) that is the output
    /// file itself, so that writing would destroy an input; -1 when none
    /// is. Decided by the file's identity, so links and other spellings of
    /// one file are caught.
    int overwrites_input = -1;
  };

  /// Plans `workbooks` (in run order) for `output_folder`; an empty folder
  /// means standard output, which has no paths to clash. `subfolders`, when
  /// not empty, holds one relative folder per workbook below
  /// `output_folder` ("" for the folder itself), so that a mirrored tree
  /// keeps same-named workbooks of different folders apart.
  OutputPlan(const std::vector<std::string>& workbooks,
             const std::string& output_folder,
             const std::vector<std::string>& subfolders = {});

  int size() const { return static_cast<int>(entries_.size()); }
  const Entry& operator[](int index) const { return entries_[index]; }
  const std::vector<Entry>& entries() const { return entries_; }

  /// Why entry `index` must not be written, naming both files; empty when
  /// it may be.
  std::string OverwriteProblem(int index) const;

 private:
  std::vector<Entry> entries_;
};

/// The output path of `workbook` in `output_folder`, in normal form: the
/// workbook's file name with its last extension replaced by ".xml".
std::string OutputPathFor(const std::string& output_folder,
                          std::string_view workbook);

/// The schema file beside the output file `xml_path`: its last extension
/// replaced by ".xsd" ("out/Book1.xml" gives "out/Book1.xsd").
std::string SchemaPathFor(std::string_view xml_path);

/// `path` as a user should read it: "." and doubled separators removed and
/// no separator at the end, "out//Book1.xml" giving "out/Book1.xml".
std::string DisplayPath(const std::string& path);

}  // namespace kestrilo
