// SPDX-License-Identifier: MIT

#pragma once

#include <QObject>
#include <atomic>
#include <string>
#include <thread>

#include "engine/model/workbook.h"
#include "engine/writing/export_options.h"

namespace kestrilo::gui {

/// Counts the lines and bytes of a block's XML on a thread of its own, so
/// that previewing a selection of millions of cells never stalls the
/// window. Starting a new count or freeing the counter stops the one under
/// way first.
class PreviewCounter : public QObject {
  Q_OBJECT

 public:
  explicit PreviewCounter(QObject* parent = nullptr);
  ~PreviewCounter() override;

  /// Counts the XML of `address` on sheet `sheet`. The workbook must stay
  /// until Stop(), the next Start() or the counter's end.
  void Start(const Workbook& workbook, int sheet, const ExportOptions& options,
             const std::string& address);
  /// Stops a count under way and waits for its thread; it reports nothing.
  void Stop();

 signals:
  void Counted(qint64 lines, qint64 bytes);

 private:
  std::thread thread_;
  std::atomic<bool> stop_{false};
  int generation_ = 0;  // the count whose result is still wanted
};

}  // namespace kestrilo::gui
