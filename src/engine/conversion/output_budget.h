// SPDX-License-Identifier: MIT

#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "engine/model/block_geometry.h"
#include "engine/writing/export_options.h"
#include "engine/writing/xml_sink.h"

namespace kestrilo {

/// The most bytes of XML one workbook may give unless told otherwise: far
/// beyond any real table, far below what a sparse workbook of a few
/// kilobytes can claim (two cells at A1 and XFD1048576 make a block of
/// seventeen billion).
inline constexpr std::uint64_t kDefaultMaxOutput = std::uint64_t{2} << 30;

/// A conversion that would write more XML than it may. The message is
/// complete without the workbook's name; a front end adds how to change the
/// limit.
class OutputBudgetExceeded : public std::runtime_error {
 public:
  OutputBudgetExceeded(const std::string& message, std::uint64_t least_bytes)
      : std::runtime_error(message), least_bytes_(least_bytes) {}

  /// The least bytes the block's XML takes; 0 when the text grew beyond
  /// the limit as it was written.
  std::uint64_t least_bytes() const { return least_bytes_; }

 private:
  std::uint64_t least_bytes_;
};

/// The fewest bytes the XML of `block` can take under `options`, whatever
/// its cells hold: every cell that is not a header is written, empty or not,
/// within its tags, on a line of its own; in the records layout only when
/// empties are kept, and then at least as an attribute.
std::uint64_t LeastXmlBytes(const BlockGeometry& block,
                            const ExportOptions& options);

/// "2 GiB", "137 GB", "512 kB": a size for messages.
std::string SizeText(std::uint64_t bytes);

/// Throws OutputBudgetExceeded when even the least XML of `block` (of sheet
/// `sheet`, `filled` of its cells holding values) exceeds `max_bytes` (0:
/// no limit), before anything is written.
void CheckLeastXml(const BlockGeometry& block, const std::string& sheet,
                   std::uint64_t filled, const ExportOptions& options,
                   std::uint64_t max_bytes);

/// Passes the text on to `sink` and throws OutputBudgetExceeded once more
/// than `max_bytes` (0: no limit) would have gone through: a block whose
/// texts are longer than its least XML stops there.
class BudgetSink : public XmlSink {
 public:
  BudgetSink(XmlSink& sink, std::uint64_t max_bytes)
      : sink_(sink), max_bytes_(max_bytes) {}

  void Write(std::string_view text) override;
  bool CanRestart() const override { return sink_.CanRestart(); }
  void Restart() override {
    sink_.Restart();
    written_ = 0;
  }

 private:
  XmlSink& sink_;
  std::uint64_t max_bytes_;
  std::uint64_t written_ = 0;
};

}  // namespace kestrilo
