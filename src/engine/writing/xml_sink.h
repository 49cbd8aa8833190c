// SPDX-License-Identifier: MIT

#pragma once

#include <string_view>

namespace kestrilo {

/// Where the XML writer hands its text: in pieces of a few hundred KiB, in
/// order, so that no one holds the whole text unless it wants to.
class XmlSink {
 public:
  virtual ~XmlSink() = default;

  /// Takes the next piece of the text. Throws to end the conversion; the
  /// writer writes nothing more after that.
  virtual void Write(std::string_view text) = 0;

  /// Whether Restart can take back the text written so far.
  virtual bool CanRestart() const { return false; }
  /// Forgets the text written so far, so that a conversion that has to go
  /// another way can write its text anew. Only where CanRestart() says so.
  virtual void Restart() {}
};

}  // namespace kestrilo
