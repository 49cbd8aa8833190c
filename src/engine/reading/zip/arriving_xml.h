// SPDX-License-Identifier: MIT

#pragma once

#include <functional>
#include <memory>
#include <string>

#include "engine/reading/xml/xml_tokenizer.h"
#include "engine/reading/zip/background_inflater.h"

namespace kestrilo {

/// The tokenizer of a part that `inflater` is still inflating: a UTF-8 part
/// (its byte-order mark skipped) is tokenized as its bytes arrive; a UTF-16
/// part is awaited whole and converted first. XmlError passes to the
/// caller, which knows the part's name.
class ArrivingXml {
 public:
  explicit ArrivingXml(BackgroundInflater& inflater);
  ArrivingXml(const ArrivingXml&) = delete;
  ArrivingXml& operator=(const ArrivingXml&) = delete;

  XmlTokenizer& xml() { return *xml_; }
  /// Gives back the memory of the bytes the tokenizer no longer needs
  /// (see XmlTokenizer::NeededFrom); for parts read once, front to back.
  void DiscardRead();

 private:
  BackgroundInflater& inflater_;
  std::size_t skip_ = 0;
  /// The bytes before this offset have been given back.
  std::size_t released_ = 0;
  /// The whole part converted to UTF-8, when it came as UTF-16.
  std::string converted_;
  std::unique_ptr<XmlTokenizer> xml_;
};

/// Runs `parse` over the tokenizer of ArrivingXml(inflater).
void ParseArrivingXml(BackgroundInflater& inflater,
                      const std::function<void(XmlTokenizer&)>& parse);

}  // namespace kestrilo
