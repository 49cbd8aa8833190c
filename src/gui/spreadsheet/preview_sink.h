// SPDX-License-Identifier: MIT

#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/writing/xml_sink.h"

namespace kestrilo::gui {

/// What the preview shows of a block's XML: its first lines and the size
/// of the whole.
struct PreviewText {
  /// The first lines, each ending in CR LF as written.
  std::string head;
  std::int64_t line_count = 0;
  std::int64_t byte_count = 0;
};

/// Takes a block's XML as the conversion writes it, keeping only what the
/// preview shows. Asked for the first lines alone, it ends the conversion
/// (throwing HeadTaken) once it has them; given a stop flag, it ends it
/// (throwing CountStopped) once the flag is set.
class PreviewSink : public XmlSink {
 public:
  struct HeadTaken {};
  struct CountStopped {};

  /// Keeps the first `max_lines` lines; counts all of the text unless
  /// `head_only`.
  PreviewSink(int max_lines, bool head_only,
              const std::atomic<bool>* stop = nullptr);

  void Write(std::string_view text) override;

  const PreviewText& text() const { return text_; }

 private:
  int max_lines_;
  bool head_only_;
  const std::atomic<bool>* stop_;
  PreviewText text_;
};

}  // namespace kestrilo::gui
