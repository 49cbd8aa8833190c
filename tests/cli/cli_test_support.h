#pragma once

// What the end-to-end tests of kestrilo-cli share: the outcome of one run
// of the built binary, and reading and writing the files around it.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace kestrilo::cli::test_support {

/// The exit status (-1 when the tool did not exit normally) and what the
/// tool wrote to standard output and standard error.
struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

inline void WriteFile(const std::filesystem::path& path,
                      const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

/// A workbook or expected output of the command-line fixtures.
inline std::filesystem::path Fixture(const std::string& name) {
  return std::filesystem::path(KESTRILO_FIXTURES_DIR) / "cli" / name;
}

}  // namespace kestrilo::cli::test_support
