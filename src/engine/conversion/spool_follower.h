// SPDX-License-Identifier: MIT

#pragma once

#include <atomic>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "engine/conversion/block_row_writer.h"
#include "engine/conversion/row_spool.h"

namespace kestrilo {

/// Writes the XML of a sheet's used range from a RowSpool while a reader
/// is still filling it, on a thread of its own, so that reading and
/// writing share the cores. The block's first row and its columns are
/// guessed from the first piece of rows kept, and the rows written as they
/// come. A later row that shows the guess wrong (a cell outside those
/// columns, a row out of order) makes it give up: the XML must then be
/// written anew from the spool. Tables state their columns in their first
/// rows, so the guess nearly always holds.
class SpoolFollower {
 public:
  /// Starts following `spool`; the sink must be able to take back its text
  /// (XmlSink::CanRestart), which is the caller's to do should it give up.
  /// A guessed block whose least XML exceeds `max_output_bytes` (0: no
  /// limit) is not written.
  SpoolFollower(RowSpool& spool, const ExportOptions& options,
                std::uint64_t max_output_bytes, XmlSink& sink,
                ConversionObserver* observer);
  /// Stops following (closing the spool) and waits for the thread.
  ~SpoolFollower();
  SpoolFollower(const SpoolFollower&) = delete;
  SpoolFollower& operator=(const SpoolFollower&) = delete;

  /// Once the spool is closed: waits for the follower and, when its guess
  /// was `used` (the sheet's used range), completes the XML and returns
  /// true. False when it gave up. Rethrows a failure of the sink.
  bool Complete(const BlockGeometry& used);

  /// The first cell written whose text XML cannot hold; see BlockRowWriter.
  const std::string& first_unholdable() const;
  /// After Complete: the schema the layout made, if any.
  std::string schema() const;

 private:
  void Follow();
  // Guesses the block from the rows in the first `end` bytes; false when
  // they give no guess.
  bool Guess(std::uint64_t end);

  RowSpool& spool_;
  const ExportOptions& options_;
  std::uint64_t max_output_bytes_;
  XmlSink& sink_;
  ConversionObserver* observer_;
  std::atomic<bool> stop_ = false;
  bool gave_up_ = false;
  std::optional<BlockGeometry> guess_;
  std::unique_ptr<BlockRowWriter> writer_;
  std::exception_ptr failure_;
  std::thread thread_;
};

}  // namespace kestrilo
