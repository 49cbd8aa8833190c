// SPDX-License-Identifier: MIT

#include "engine/conversion/spool_follower.h"

#include <algorithm>
#include <vector>

#include "engine/conversion/output_budget.h"

namespace kestrilo {

SpoolFollower::SpoolFollower(RowSpool& spool, const ExportOptions& options,
                             std::uint64_t max_output_bytes, XmlSink& sink,
                             ConversionObserver* observer)
    : spool_(spool),
      options_(options),
      max_output_bytes_(max_output_bytes),
      sink_(sink),
      observer_(observer),
      thread_([this] { Follow(); }) {}

SpoolFollower::~SpoolFollower() {
  stop_ = true;
  spool_.Abandon();
  if (thread_.joinable()) thread_.join();
}

bool SpoolFollower::Guess(std::uint64_t end) {
  RowSpool::Cursor cursor(spool_);
  std::int32_t row = 0;
  std::int32_t first_row = 0;
  std::int32_t last_row = 0;
  std::int32_t first_column = kMaxColumns + 1;
  std::int32_t last_column = 0;
  std::vector<RowCell> cells;
  while (cursor.Next(end, row, cells)) {
    if (row <= last_row) return false;  // out of order: no guess holds
    if (first_row == 0) first_row = row;
    last_row = row;
    first_column = std::min(first_column, cells.front().column);
    last_column = std::max(last_column, cells.back().column);
  }
  if (first_row == 0) return false;
  // Too much XML already for the rows seen: the budget refuses it later,
  // with the whole count, and nothing is written meanwhile.
  const BlockGeometry seen{first_row, last_row - first_row + 1, first_column,
                           last_column - first_column + 1};
  if (max_output_bytes_ != 0 &&
      LeastXmlBytes(seen, options_) > max_output_bytes_) {
    return false;
  }
  guess_ = BlockGeometry{first_row, kMaxRows - first_row + 1, first_column,
                         last_column - first_column + 1};
  return true;
}

void SpoolFollower::Follow() {
  try {
    std::uint64_t end = spool_.WaitBeyond(0);
    if (stop_ || !Guess(end)) {
      gave_up_ = true;
      return;
    }
    writer_ =
        std::make_unique<BlockRowWriter>(*guess_, options_, sink_, observer_);
    RowSpool::Cursor cursor(spool_);
    std::int32_t row = 0;
    std::vector<RowCell> cells;
    for (;;) {
      while (cursor.Next(end, row, cells)) {
        if (stop_ || cells.front().column < guess_->first_column ||
            cells.back().column > guess_->last_column()) {
          gave_up_ = true;
          return;
        }
        writer_->AddRow(row, cells);
      }
      const std::uint64_t more = spool_.WaitBeyond(end);
      if (more == end) return;  // closed, and every row written
      end = more;
    }
  } catch (const BlockRowWriter::RowsOutOfOrder&) {
    gave_up_ = true;
  } catch (...) {
    failure_ = std::current_exception();
  }
}

bool SpoolFollower::Complete(const BlockGeometry& used) {
  if (thread_.joinable()) thread_.join();
  if (failure_) std::rethrow_exception(failure_);
  if (gave_up_ || !guess_ || used.first_row != guess_->first_row ||
      used.first_column != guess_->first_column ||
      used.last_column() != guess_->last_column()) {
    return false;
  }
  writer_->FinishAt(used.last_row());
  return true;
}

const std::string& SpoolFollower::first_unholdable() const {
  return writer_->first_unholdable();
}

std::string SpoolFollower::schema() const { return writer_->schema(); }

}  // namespace kestrilo
