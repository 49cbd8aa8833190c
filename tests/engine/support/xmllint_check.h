// SPDX-License-Identifier: MIT

#pragma once
// Validation of an XML file against its XML Schema by xmllint (Debian's
// libxml2-utils): an independent reader of both.

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kestrilo::testing_support {

/// Whether xmllint can be run here.
inline bool HasXmllint() {
  return std::system("command -v xmllint > /dev/null 2>&1") == 0;
}

/// What xmllint says against `xml_path` validated by `schema_path`; empty
/// when it accepts the file.
inline std::string XmllintComplaint(const std::string& xml_path,
                                    const std::string& schema_path) {
  const std::string command =
      "xmllint --noout --schema '" + schema_path + "' '" + xml_path + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "cannot run " + command;
  std::string said;
  std::array<char, 4096> buffer;
  for (std::size_t got;
       (got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;) {
    said.append(buffer.data(), got);
  }
  const int status = pclose(pipe);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  // The first complaints say what is wrong; a long file may give thousands.
  constexpr std::size_t kMostShown = 2000;
  if (said.size() > kMostShown) said.resize(kMostShown);
  return said.empty() ? "xmllint failed" : said;
}

}  // namespace kestrilo::testing_support
