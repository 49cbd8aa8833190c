#include "engine/reading/zip/arriving_xml.h"

#include <string>

namespace kestrilo {

void ParseArrivingXml(BackgroundInflater& inflater,
                      const std::function<void(XmlTokenizer&)>& parse) {
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
    std::string text(inflater.data(), inflater.WaitAll());
    XmlTokenizer::ConvertToUtf8(text);
    XmlTokenizer xml(text);
    parse(xml);
    return;
  }
  const std::size_t skip = utf8_bom ? 3 : 0;
  XmlTokenizer xml(inflater.data() + skip, have - skip,
                   [&](std::size_t received) {
                     return inflater.WaitBeyond(received + skip) - skip;
                   });
  parse(xml);
}

}  // namespace kestrilo
