// SPDX-License-Identifier: MIT

#pragma once

#include <string>
#include <string_view>

#include "engine/writing/xml_sink.h"

namespace kestrilo {

/// Keeps the whole text, for callers that want it in memory (standard
/// output, the preview's tests).
class StringSink : public XmlSink {
 public:
  void Write(std::string_view text) override { text_.append(text); }
  bool CanRestart() const override { return true; }
  void Restart() override { text_.clear(); }

  /// The text so far, given up to the caller.
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

}  // namespace kestrilo
