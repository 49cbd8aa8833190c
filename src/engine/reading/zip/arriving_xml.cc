// SPDX-License-Identifier: MIT

#include "engine/reading/zip/arriving_xml.h"

namespace kestrilo {

ArrivingXml::ArrivingXml(BackgroundInflater& inflater) : inflater_(inflater) {
  // The first three bytes tell the encoding.
  std::size_t have = inflater.WaitBeyond(0);
  while (have > 0 && have < 3) {
    const std::size_t now = inflater.WaitBeyond(have);
    if (now == have) break;
    have = now;
  }
  const auto* head = reinterpret_cast<const unsigned char*>(inflater.data());
  const bool utf8_bom =
      have >= 3 && head[0] == 0xEF && head[1] == 0xBB && head[2] == 0xBF;
  const bool utf16 = have >= 2 && (head[0] == 0 || head[1] == 0 ||
                                   (head[0] == 0xFF && head[1] == 0xFE) ||
                                   (head[0] == 0xFE && head[1] == 0xFF));
  if (utf16) {
    converted_.assign(inflater.data(), inflater.WaitAll());
    XmlTokenizer::ConvertToUtf8(converted_);
    xml_ = std::make_unique<XmlTokenizer>(converted_);
    return;
  }
  skip_ = utf8_bom ? 3 : 0;
  xml_ = std::make_unique<XmlTokenizer>(
      inflater.data() + skip_, have - skip_, [this](std::size_t received) {
        return inflater_.WaitBeyond(received + skip_) - skip_;
      });
}

void ArrivingXml::DiscardRead() {
  if (!converted_.empty()) return;
  // Given back a few megabytes at a time: each call costs a system call
  // and a flush of the address translations.
  constexpr std::size_t kStep = std::size_t{2} << 20;
  const std::size_t needed = xml_->NeededFrom() + skip_;
  if (needed < released_ + kStep) return;
  inflater_.Release(released_, needed);
  released_ = needed;
}

void ParseArrivingXml(BackgroundInflater& inflater,
                      const std::function<void(XmlTokenizer&)>& parse) {
  ArrivingXml arriving(inflater);
  parse(arriving.xml());
}

}  // namespace kestrilo
