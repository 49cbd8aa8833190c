// SPDX-License-Identifier: MIT

#include "engine/reading/xlsx/xlsx_row_reader.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/reading/xlsx/xlsx_row_target.h"
#include "engine/reading/xlsx/xlsx_sheet_parser.h"
#include "engine/reading/xml/xml_error.h"
#include "engine/reading/zip/arriving_xml.h"
#include "engine/reading/zip/background_inflater.h"
#include "engine/reading/zip/package_part.h"

namespace kestrilo {

namespace {

// The rows of the sheet are parsed on a thread of their own and queued for
// the sink, so that parsing, writing and inflating share the cores.
class RowQueue {
 public:
  // One queued row; the last entry ends the rows, or carries the error
  // that ended parsing.
  struct Entry {
    XlsxRowTarget::Row row;
    bool end = false;
    std::exception_ptr error;
  };

  ~RowQueue() { Cancel(); }

  // The parser's side: adds `entry` to the batch being made, and queues the
  // batch when it is full or `entry` ends the rows; false when cancelled.
  bool Push(Entry entry);
  // The sink's side: takes the next entry; rethrows the parser's error.
  void Pop(Entry& entry);
  void Cancel() {
    std::lock_guard<std::mutex> lock(mutex_);
    cancelled_ = true;
    changed_.notify_all();
  }

 private:
  // Rows are handed over in batches of about this many cells, so that the
  // two threads meet seldom; the queue holds at most kQueuedCells.
  static constexpr std::size_t kBatchCells = 1 << 12;
  static constexpr std::size_t kQueuedCells = 1 << 16;
  struct Batch {
    std::vector<Entry> entries;
    std::size_t cells = 0;
  };

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Batch> queue_;
  std::size_t queued_cells_ = 0;
  bool cancelled_ = false;
  Batch making_;  // the parser's
  Batch taken_;   // the sink's
  std::size_t next_taken_ = 0;
};

bool RowQueue::Push(Entry entry) {
  const bool end = entry.end;
  making_.cells += entry.row.cells.size() + 1;
  making_.entries.push_back(std::move(entry));
  if (!end && making_.cells < kBatchCells) return true;
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] {
    return cancelled_ || queue_.empty() || queued_cells_ < kQueuedCells;
  });
  if (cancelled_) return false;
  queued_cells_ += making_.cells;
  // The next batch likely holds as many rows: room for them at once.
  const std::size_t rows = making_.entries.size();
  queue_.push_back(std::move(making_));
  making_ = Batch();
  making_.entries.reserve(rows);
  changed_.notify_all();
  return true;
}

void RowQueue::Pop(Entry& entry) {
  if (next_taken_ == taken_.entries.size()) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return !queue_.empty(); });
    taken_ = std::move(queue_.front());
    queue_.pop_front();
    queued_cells_ -= taken_.cells;
    next_taken_ = 0;
    changed_.notify_all();
  }
  entry = std::move(taken_.entries[next_taken_++]);
  if (entry.error) std::rethrow_exception(entry.error);
}

// Parses the part's rows into the queue until they end, the queue is
// cancelled, or parsing fails (the error is queued as the last entry).
void ParseRows(const XlsxWorkbookReader& reader, int index,
               BackgroundInflater& inflater, const ZipArchive& zip,
               RowQueue& queue, std::int64_t& formulas_without_value) {
  const std::string& part = reader.SheetPart(index);
  RowQueue::Entry entry;
  try {
    try {
      XlsxSheetParser parser(reader.path(), part, reader.cell_context());
      XlsxRowTarget target(reader.structure().strings());
      ArrivingXml arriving(inflater);
      if (parser.ReachSheetData(arriving.xml())) {
        while (parser.ParseNextRow(arriving.xml(), target)) {
          arriving.DiscardRead();
          target.TakeRow(entry.row);
          if (!queue.Push(std::move(entry))) return;
          entry = RowQueue::Entry();
        }
      }
      formulas_without_value = parser.formulas_without_value();
    } catch (const XmlError& error) {
      PackagePart::FailXml(zip, part, error);
    }
    entry.end = true;
  } catch (...) {
    entry = RowQueue::Entry();
    entry.error = std::current_exception();
    entry.end = true;
  }
  queue.Push(std::move(entry));
}

}  // namespace

std::int64_t XlsxRowReader::Send(XlsxWorkbookReader& reader, int index,
                                 RowSink& sink) {
  const ZipArchive sheet_zip(reader.path());
  const std::unique_ptr<BackgroundInflater> inflater =
      reader.StartSheet(index, sheet_zip);
  if (!inflater) return 0;  // a chart sheet: no cells
  sink.UseStyles(reader.structure().styles());
  std::int64_t formulas_without_value = 0;
  RowQueue queue;
  std::jthread parser([&] {
    ParseRows(reader, index, *inflater, sheet_zip, queue,
              formulas_without_value);
  });
  // The parser is stopped before the queue goes, should the sink throw.
  struct StopParser {
    RowQueue& queue;
    std::jthread& parser;
    ~StopParser() {
      queue.Cancel();
      if (parser.joinable()) parser.join();
    }
  } stop{queue, parser};
  RowQueue::Entry entry;
  for (queue.Pop(entry); !entry.end; queue.Pop(entry)) {
    sink.AddRow(entry.row.row, entry.row.cells);
  }
  parser.join();
  return formulas_without_value;
}

}  // namespace kestrilo
