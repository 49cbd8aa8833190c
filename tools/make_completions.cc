// SPDX-License-Identifier: MIT
// Writes the shell completions of kestrilo-cli into the folder it is given:
// kestrilo-cli (bash), _kestrilo-cli (zsh) and kestrilo-cli.fish. The build
// runs it, so that the completions always follow the option table.

#include <cstdio>
#include <fstream>
#include <string>

#include "cli/completion_scripts.h"

namespace {

bool Write(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  file.close();
  if (file) return true;
  std::fprintf(stderr, "make_completions: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: make_completions FOLDER\n", stderr);
    return 2;
  }
  using namespace kestrilo::cli;
  const std::string folder = std::string(argv[1]) + "/";
  const bool written = Write(folder + "kestrilo-cli", BashCompletion()) &&
                       Write(folder + "_kestrilo-cli", ZshCompletion()) &&
                       Write(folder + "kestrilo-cli.fish", FishCompletion());
  return written ? 0 : 1;
}
