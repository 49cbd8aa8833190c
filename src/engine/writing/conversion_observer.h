// SPDX-License-Identifier: MIT

#pragma once

#include <string_view>

namespace kestrilo {

/// Hears how a conversion goes, so that a front end can show it: the
/// workbook window's status bar and wait pointer, the command line's
/// progress bar. Every call comes from the thread that converts.
class ConversionObserver {
 public:
  virtual ~ConversionObserver() = default;

  /// A progress text at each outer step of the writer ("Rows completed:
  /// 1200"): the window shows it and lets its events run.
  virtual void Progress(std::string_view /*status*/) {}

  /// The long work of a conversion starts (true) or ends (false), however
  /// it ends: the window shows the wait pointer meanwhile.
  virtual void Busy(bool /*busy*/) {}
};

}  // namespace kestrilo
