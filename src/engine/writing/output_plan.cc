// SPDX-License-Identifier: MIT

#include "engine/writing/output_plan.h"

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <optional>
#include <unordered_map>
#include <utility>

#include "engine/files/file_names.h"
#include "engine/writing/output_file.h"

namespace kestrilo {

namespace {

using FileId = std::pair<dev_t, ino_t>;

std::optional<FileId> IdentityOf(const std::string& path) {
  struct stat info;
  if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileId{info.st_dev, info.st_ino};
}

}  // namespace

std::string DisplayPath(const std::string& path) {
  if (path.empty()) return path;
  std::string text = std::filesystem::path(path).lexically_normal().string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

std::string OutputPathFor(const std::string& output_folder,
                          std::string_view workbook) {
  return DisplayPath(
      (std::filesystem::path(output_folder) / OutputNameFor(workbook))
          .string());
}

std::string SchemaPathFor(std::string_view xml_path) {
  const std::size_t name = xml_path.find_last_of('/') + 1;  // npos + 1 is 0
  std::size_t dot = xml_path.rfind('.');
  if (dot == std::string_view::npos || dot < name) dot = xml_path.size();
  return std::string(xml_path.substr(0, dot)) + ".xsd";
}

OutputPlan::OutputPlan(const std::vector<std::string>& workbooks,
                       const std::string& output_folder,
                       const std::vector<std::string>& subfolders) {
  entries_.reserve(workbooks.size());
  // Each input file by its identity; the first workbook naming it wins.
  std::map<FileId, int> inputs;
  for (int i = 0; i < static_cast<int>(workbooks.size()); ++i) {
    if (auto id = IdentityOf(workbooks[i])) inputs.try_emplace(*id, i);
  }
  // Output path -> the last entry so far that writes it.
  std::unordered_map<std::string, int> last_writer;
  for (std::size_t i = 0; i < workbooks.size(); ++i) {
    const std::string& workbook = workbooks[i];
    Entry entry;
    entry.input = workbook;
    entry.group = static_cast<int>(entries_.size());
    if (!output_folder.empty()) {
      entry.output_path = OutputPathFor(
          i < subfolders.size() && !subfolders[i].empty()
              ? (std::filesystem::path(output_folder) / subfolders[i]).string()
              : output_folder,
          workbook);
      auto [writer, first] =
          last_writer.try_emplace(entry.output_path, entry.group);
      if (!first) {
        entry.replaces = writer->second;
        entry.group = entries_[writer->second].group;
        writer->second = static_cast<int>(entries_.size());
      }
      if (auto id = IdentityOf(entry.output_path)) {
        const auto input = inputs.find(*id);
        if (input != inputs.end()) {
          const auto own = IdentityOf(workbook);
          entry.overwrites_input =
              own == id ? static_cast<int>(entries_.size()) : input->second;
        }
      }
    }
    entries_.push_back(std::move(entry));
  }
}

std::string OutputPlan::OverwriteProblem(int index) const {
  const Entry& entry = entries_[index];
  if (entry.overwrites_input < 0) return {};
  const std::string& input = entries_[entry.overwrites_input].input;
  if (entry.overwrites_input == index) {
    return "not converted: its output file " + entry.output_path +
           " is the workbook itself";
  }
  return "not converted: its output file " + entry.output_path +
         " is the workbook " + DisplayPath(input) + " of this run";
}

}  // namespace kestrilo
