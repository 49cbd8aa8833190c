// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "engine/writing/xml_sink.h"

namespace kestrilo::cli {

/// The XML of `-o -`, written to standard output as it is made: nothing is
/// held, whatever the size of the block. It cannot take its text back, so
/// the conversion reads the whole sheet before it writes.
class StdoutSink : public XmlSink {
 public:
  explicit StdoutSink(std::FILE* out = stdout) : out_(out) {}

  /// Throws std::runtime_error when standard output cannot take the text.
  void Write(std::string_view text) override;
  /// Flushes what is buffered; throws as Write does.
  void Flush();

  std::uint64_t bytes() const { return bytes_; }

 private:
  std::FILE* out_;
  std::uint64_t bytes_ = 0;
};

}  // namespace kestrilo::cli
