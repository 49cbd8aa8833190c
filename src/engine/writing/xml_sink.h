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
};

}  // namespace kestrilo
