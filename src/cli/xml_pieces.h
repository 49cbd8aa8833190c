#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "engine/writing/xml_sink.h"

namespace kestrilo::cli {

/// The XML of one workbook kept in memory for standard output, in the
/// pieces the writer hands on: no piece is copied again to grow one whole
/// text, so a large block costs its text and no more.
class XmlPieces : public XmlSink {
 public:
  void Write(std::string_view text) override {
    pieces_.emplace_back(text);
    bytes_ += text.size();
  }

  bool CanRestart() const override { return true; }
  void Restart() override {
    pieces_.clear();
    bytes_ = 0;
  }

  bool empty() const { return bytes_ == 0; }
  std::uint64_t bytes() const { return bytes_; }

  /// Writes every piece to `out` and flushes it; false with errno set when
  /// that fails.
  bool WriteTo(std::FILE* out) const {
    for (const std::string& piece : pieces_) {
      if (std::fwrite(piece.data(), 1, piece.size(), out) != piece.size()) {
        return false;
      }
    }
    return std::fflush(out) == 0;
  }

 private:
  std::vector<std::string> pieces_;
  std::uint64_t bytes_ = 0;
};

}  // namespace kestrilo::cli
