#pragma once

#include <functional>

#include "engine/reading/xml/xml_tokenizer.h"
#include "engine/reading/zip/background_inflater.h"

namespace kestrilo {

/// Runs `parse` over the XML of a part that `inflater` is still inflating:
/// a UTF-8 part (its byte-order mark skipped) is tokenized as its bytes
/// arrive; a UTF-16 part is awaited whole and converted first. XmlError
/// passes to the caller, which knows the part's name.
void ParseArrivingXml(BackgroundInflater& inflater,
                      const std::function<void(XmlTokenizer&)>& parse);

}  // namespace kestrilo
