// SPDX-License-Identifier: MIT

#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrilo {

/// The limits within which every reader works, stated in this one place,
/// and the count of what one workbook has used of them so far.
///
/// A few kilobytes of a crafted file can claim gigabytes: deflate expands
/// a thousandfold, an OpenDocument repeat count or a `text:s` run a
/// billionfold. Each such claim is charged here before memory is spent on
/// it, so that memory is bounded by these figures, never by luck. They are
/// far above any real workbook (the largest sheet part of a real
/// 1,000,000-cell workbook is some 60 MB).
///
/// Exceeding one throws WorkbookError naming the file and the limit.
class ReaderBudget {
 public:
  /// Inflated bytes of one part of a zip package.
  static constexpr std::uint64_t kPartBytes = std::uint64_t{1} << 30;
  /// Inflated bytes of all parts of one package together.
  static constexpr std::uint64_t kWorkbookBytes = std::uint64_t{2} << 30;
  /// Bytes of a file read whole: xls, csv and other text.
  static constexpr std::uint64_t kFileBytes = std::uint64_t{512} << 20;
  /// Cells stored, in all sheets together (repeated values count once per
  /// cell they fill).
  static constexpr std::uint64_t kCells = 16'000'000;
  /// Texts kept (shared strings and cell texts), and their bytes.
  static constexpr std::uint64_t kTexts = 16'000'000;
  static constexpr std::uint64_t kTextBytes = std::uint64_t{512} << 20;
  /// Characters made from repeat counts inside texts (`text:s` spaces).
  static constexpr std::uint64_t kRepeatedText = std::uint64_t{64} << 20;

  /// The limits a budget holds to; the defaults are the figures above.
  struct Limits {
    std::uint64_t part_bytes = kPartBytes;
    std::uint64_t workbook_bytes = kWorkbookBytes;
    std::uint64_t file_bytes = kFileBytes;
    std::uint64_t cells = kCells;
    std::uint64_t texts = kTexts;
    std::uint64_t text_bytes = kTextBytes;
    std::uint64_t repeated_text = kRepeatedText;
  };

  /// Lower limits for the budgets made on this thread while it lives, so
  /// that tests show a limit at work without building gigabytes.
  class ScopedLimits {
   public:
    explicit ScopedLimits(const Limits& limits);
    ~ScopedLimits();
    ScopedLimits(const ScopedLimits&) = delete;
    ScopedLimits& operator=(const ScopedLimits&) = delete;

   private:
    const Limits* previous_;
    Limits limits_;
  };

  /// The limits in force on this thread.
  static const Limits& CurrentLimits();

  /// `path` names the file in the errors.
  explicit ReaderBudget(std::string path)
      : path_(std::move(path)), limits_(CurrentLimits()) {}

  /// A part about to be inflated, of `bytes` stated size.
  void ChargePart(std::string_view part, std::uint64_t bytes);
  /// Throws when `count` more cells would exceed the budget, before they
  /// are stored.
  void CheckCells(std::uint64_t count) const {
    if (count > limits_.cells - std::min(cells_, limits_.cells)) {
      Exceeded(limits_.cells, "cells");
    }
  }
  void ChargeCells(std::uint64_t count) {
    cells_ += count;
    if (cells_ > limits_.cells) Exceeded(limits_.cells, "cells");
  }
  void ChargeText(std::uint64_t bytes) {
    text_bytes_ += bytes;
    if (++texts_ > limits_.texts) Exceeded(limits_.texts, "texts");
    if (text_bytes_ > limits_.text_bytes) {
      Exceeded(limits_.text_bytes, "bytes of text");
    }
  }
  void ChargeRepeatedText(std::uint64_t characters);

  /// Throws when a file of `bytes` is too large to be read whole.
  static void CheckFileSize(const std::string& path, std::uint64_t bytes);

 private:
  [[noreturn]] void Exceeded(std::uint64_t limit, std::string_view what) const;

  std::string path_;
  Limits limits_;
  std::uint64_t inflated_ = 0;
  std::uint64_t cells_ = 0;
  std::uint64_t texts_ = 0;
  std::uint64_t text_bytes_ = 0;
  std::uint64_t repeated_text_ = 0;
};

}  // namespace kestrilo
